// SPDX-License-Identifier: GPL-3.0-or-later
#include "cpulist.h"

#include <QStringList>

#include <algorithm>

#include "safetext.h"

namespace
{

std::optional<int> number(const QString &text)
{
    // Digits only: no sign, no blanks, as the kernel's own lists are written.
    if (text.isEmpty() || !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

std::optional<QVector<int>> CpuList::parse(const QString &text, const QVector<int> &available, QString *errorString)
{
    const auto fail = [&](const QString &why) {
        if (errorString)
            *errorString = why;
        return std::nullopt;
    };
    if (text == QLatin1String("all"))
        return available;
    QVector<int> cpus;
    const QStringList items = text.split(QLatin1Char(','));
    for (const QString &item : items) {
        const int dash = item.indexOf(QLatin1Char('-'));
        const std::optional<int> first = number(dash < 0 ? item : item.left(dash));
        const std::optional<int> last = dash < 0 ? first : number(item.mid(dash + 1));
        if (!first || !last || *last < *first)
            return fail(QStringLiteral("'%1' is not a CPU list such as 0-3,8").arg(SafeText::printable(text)));
        for (int cpu = *first; cpu <= *last; ++cpu) {
            if (!available.contains(cpu))
                return fail(QStringLiteral("there is no cpu%1 here").arg(cpu));
            cpus.append(cpu);
        }
    }
    std::sort(cpus.begin(), cpus.end());
    cpus.erase(std::unique(cpus.begin(), cpus.end()), cpus.end());
    return cpus;
}

QString CpuList::format(QVector<int> cpus)
{
    std::sort(cpus.begin(), cpus.end());
    cpus.erase(std::unique(cpus.begin(), cpus.end()), cpus.end());
    QStringList items;
    for (int i = 0; i < cpus.size();) {
        int j = i;
        while (j + 1 < cpus.size() && cpus[j + 1] == cpus[j] + 1)
            ++j;
        items << (j > i ? QStringLiteral("%1-%2").arg(cpus[i]).arg(cpus[j]) : QString::number(cpus[i]));
        i = j + 1;
    }
    return items.join(QLatin1Char(','));
}
