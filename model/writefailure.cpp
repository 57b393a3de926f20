#include "writefailure.h"

#include <cstring>

#include "safetext.h"

void ApplyReport::fail(const WriteFailure &failure, const WriteFailureHandler &handler)
{
    failures.append(failure);
    if (handler)
        handler(failure);
}

QString describeFailure(const WriteFailure &failure)
{
    QString text = QStringLiteral("cpu%1: %2: ").arg(failure.core).arg(SafeText::printable(failure.attribute));
    if (failure.error != 0) {
        text += QStringLiteral("writing \"%1\" failed: %2")
                    .arg(SafeText::printable(failure.value), QString::fromLocal8Bit(std::strerror(failure.error)));
        if (!failure.reason.isEmpty())
            text += QStringLiteral(" (%1)").arg(SafeText::printable(failure.reason));
    } else {
        text += QStringLiteral("\"%1\" not applied: %2")
                    .arg(SafeText::printable(failure.value), SafeText::printable(failure.reason));
    }
    return text;
}
