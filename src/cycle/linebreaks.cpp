// SPDX-License-Identifier: MIT
#include "cycle/linebreaks.h"

#include "bank/markup.h"

namespace cycle {

QString expandLineBreaks(QStringView text)
{
    return text.toString().replace(bank::markup::lineBreakCode.toString(), QStringLiteral("\r\n"));
}

} // namespace cycle
