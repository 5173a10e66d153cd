// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
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

// QtTest ends a test function after 5 minutes unless QTEST_FUNCTION_TIMEOUT says otherwise,
// which the heaviest fault tests can reach on a busy machine under Wine. Called from a test
// class's static initMain(), before QtTest reads it, this gives each function `scale`
// ceilings instead.
inline void raiseFunctionCeiling(int scale)
{
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(hangMs(scale)));
}

} // namespace testwait
