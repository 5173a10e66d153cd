// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

namespace bank {

// The four built-in assignments and the end entry, one text per line-store entry in store
// order, with CR LF as the line break inside an entry.
QStringList assignmentContent();

} // namespace bank
