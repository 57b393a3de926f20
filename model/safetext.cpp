// SPDX-License-Identifier: GPL-3.0-or-later
#include "safetext.h"

namespace
{

bool isBidiControl(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0x061C;
}

} // namespace

QString SafeText::printable(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == '\n') {
            result += QLatin1String("\\n");
        } else if (c == '\t') {
            result += QLatin1String("\\t");
        } else if (c == '\\') {
            result += QLatin1String("\\\\");
        } else if (c < 0x20 || c == 0x7F) {
            result += QStringLiteral("\\x%1").arg(static_cast<int>(c), 2, 16, QLatin1Char('0'));
        } else if ((c >= 0x80 && c <= 0x9F) || isBidiControl(c)) {
            result += QStringLiteral("\\u%1").arg(static_cast<int>(c), 4, 16, QLatin1Char('0'));
        } else {
            result += ch;
        }
    }
    return result;
}
