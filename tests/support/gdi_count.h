#pragma once

namespace testsupport {

// GDI objects this process holds, for leak checks: compare the count before and after many
// create/destroy cycles (after one warm-up cycle, since the platform creates some objects lazily).
int GdiObjectCount();

} // namespace testsupport
