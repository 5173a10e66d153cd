// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Texts inside the program break lines with CR LF; a text box shows "\n". These two convert
// at the box's edge, so comparisons such as "still the instructions?" work on program texts.
namespace app::boxtext {

// The program text as the box shows it.
QString shown(const QString &text);

// What the box holds (its raw document text) as a program text. Paragraph and line
// separators and lone line feeds all become CR LF.
QString typed(const QString &rawBoxText);

} // namespace app::boxtext
