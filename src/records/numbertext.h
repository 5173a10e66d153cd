// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

// Numbers read from and written into texts: assignment numbers, question numbers and the
// question-number value of the records all follow these two rules.
namespace records::numbertext {

// The value of a text: its longest leading part that reads as a decimal number (optional
// sign, digits, optional fraction), blanks ignored throughout; 0 when it starts otherwise.
double valueOf(QStringView text);

// A number as decimal text, without a leading blank and without a decimal point for whole
// numbers: 2 -> "2", -1 -> "-1", 2.5 -> "2.5".
QString decimalText(double number);

} // namespace records::numbertext
