#pragma once

#include <string>

// Writes a line of text to standard output so that Chinese shows correctly: through the console's
// wide-character interface when output is a console, as UTF-8 when it is a file or a pipe.
void PrintLine(const std::wstring& text);
