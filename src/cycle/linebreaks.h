// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

namespace cycle {

// Every "{}" of a store line, scanned from the left without overlaps, becomes CR LF.
QString expandLineBreaks(QStringView text);

} // namespace cycle
