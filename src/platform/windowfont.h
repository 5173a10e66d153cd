// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

namespace platform {

// The window's font at `pointSize`: a sans-serif with Arial's metrics, whichever of its
// families the system has, so the layout's captions fit the same everywhere.
QFont windowFont(qreal pointSize);

} // namespace platform
