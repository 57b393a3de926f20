// SPDX-License-Identifier: GPL-3.0-or-later
#include "writefailure.h"

#include "safetext.h"
#include "sysfsio.h"

void ApplyReport::fail(const WriteFailure &failure, const WriteFailureHandler &handler)
{
    failures.append(failure);
    if (handler)
        handler(failure);
}

QString describeFailure(const WriteFailure &failure)
{
    // A failure of no core (an entry of a file that names none) or of no attribute (a whole core)
    // leaves that part out.
    QString text = failure.core >= 0 ? QStringLiteral("cpu%1: ").arg(failure.core) : QString();
    if (!failure.attribute.isEmpty())
        text += SafeText::printable(failure.attribute) + QStringLiteral(": ");
    if (failure.error != 0) {
        text += QStringLiteral("writing \"%1\" failed: %2")
                    .arg(SafeText::printable(failure.value), SysfsIO::errorText(failure.error));
        if (!failure.reason.isEmpty())
            text += QStringLiteral(" (%1)").arg(SafeText::printable(failure.reason));
    } else if (failure.attribute.isEmpty() && failure.value.isEmpty()) {
        text += SafeText::printable(failure.reason);
    } else {
        text += QStringLiteral("\"%1\" not applied: %2")
                    .arg(SafeText::printable(failure.value), SafeText::printable(failure.reason));
    }
    return text;
}
