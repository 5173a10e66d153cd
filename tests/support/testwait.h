// SPDX-License-Identifier: MIT
#pragma once

#include <QtGlobal>

// Tests wait for the event itself (a window, a file, a line of output, a process ending);
// the ceiling below only stops a test that hangs, so that it fails with a message rather
// than at the suite's timeout. It is generous, and a slower machine or an emulator can
// stretch it with BEXLORIN_TEST_TIMEOUT_FACTOR (e.g. 2); nothing should ever come near it.
namespace testwait {

inline int hangMs(int scale = 1)
{
    bool valid = false;
    const double factor = qEnvironmentVariable("BEXLORIN_TEST_TIMEOUT_FACTOR").toDouble(&valid);
    return int(60'000 * scale * (valid && factor > 0 ? factor : 1.0));
}

} // namespace testwait
