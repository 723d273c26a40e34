#pragma once

// Builds a step message of two trade records, shows its bytes, parses it back and lists the fields,
// then shows a few amounts and volumes in Chinese units. Returns 0 when the parsed records match the
// built ones.
int RunStepDemo();
