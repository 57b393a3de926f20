// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles.h"

#include <algorithm>

namespace
{
using Level = Profile::Level;

// clang-format off
const QVector<Profile> table{
    {GOVERN_PERFORMANCE, "performance", QT_TRANSLATE_NOOP("Profile", "Performance"),
     QT_TRANSLATE_NOOP("Profile", "Governor performance; limits from the lowest to the highest frequency."),
     "performance", Level::Minimum, Level::Maximum,
     true, Level::Maximum, Level::AboveMaximum, Level::None},
    {GOVERN_FAST, "fast", QT_TRANSLATE_NOOP("Profile", "Fast"),
     QT_TRANSLATE_NOOP("Profile", "Governor performance; upper limit near two thirds of the highest frequency."),
     "performance", Level::Minimum, Level::TwoThirds,
     false, Level::TwoThirds, Level::None, Level::Maximum},
    {GOVERN_NORMAL, "normal", QT_TRANSLATE_NOOP("Profile", "Normal"),
     QT_TRANSLATE_NOOP("Profile", "Governor unchanged; upper limit near half the highest frequency."),
     nullptr, Level::Minimum, Level::Half,
     false, Level::Half, Level::TwoThirds, Level::TwoThirds},
    {GOVERN_SLOW, "slow", QT_TRANSLATE_NOOP("Profile", "Slow"),
     QT_TRANSLATE_NOOP("Profile", "Governor unchanged; upper limit near a third of the highest frequency."),
     nullptr, Level::Minimum, Level::Third,
     false, Level::Third, Level::Half, Level::Half},
    {GOVERN_POWERSAVE, "powersave", QT_TRANSLATE_NOOP("Profile", "Powersave"),
     QT_TRANSLATE_NOOP("Profile", "Governor powersave; both limits at the lowest frequency."),
     "powersave", Level::Minimum, Level::Minimum,
     true, Level::None, Level::Third, Level::None},
    {GOVERN_CUSTOM, "custom", QT_TRANSLATE_NOOP("Profile", "Custom"),
     QT_TRANSLATE_NOOP("Profile", "Brings every core online and changes nothing else."),
     nullptr, Level::None, Level::None,
     false, Level::None, Level::None, Level::None},
};
// clang-format on

} // namespace

std::optional<qint64> Profile::value(Level level, int max, int min)
{
    switch (level) {
    case Level::None:
        return std::nullopt;
    case Level::Minimum:
        return min;
    case Level::Third:
        return max / 3;
    case Level::Half:
        return max / 2;
    case Level::TwoThirds:
        // The doubling wraps as 32-bit arithmetic does instead of overflowing.
        return static_cast<int>(static_cast<quint32>(max) * 2U) / 3;
    case Level::Maximum:
        return max;
    case Level::AboveMaximum:
        return qint64(max) + 1;
    }
    return std::nullopt;
}

std::optional<qint64> Profile::upperLimit(int max, int min, const QVector<qint64> &table) const
{
    const std::optional<qint64> computed = value(maxLimit, max, min);
    const std::optional<qint64> from = value(bandFrom, max, min);
    const std::optional<qint64> below = value(keepBelow, max, min);
    if (!computed || !from || !below)
        return computed;
    std::optional<qint64> kept;
    for (const qint64 frequency : table) {
        if (*from <= frequency && frequency < *below && (!kept || frequency < *kept))
            kept = frequency;
    }
    return kept ? kept : computed;
}

bool Profile::matches(int max, int limit, const QString &currentGovernor) const
{
    if (governorTested && currentGovernor != QLatin1String(governor))
        return false;
    const std::optional<qint64> from = value(bandFrom, max, 0);
    const std::optional<qint64> to = value(bandTo, max, 0);
    return (!from || *from <= limit) && (!to || limit < *to);
}

const QVector<Profile> &Profile::all()
{
    return table;
}

const Profile &Profile::of(int govern)
{
    const auto found =
        std::find_if(table.cbegin(), table.cend(), [govern](const Profile &p) { return p.govern == govern; });
    return found != table.cend() ? *found : table.last();
}

const Profile *Profile::find(const QString &key)
{
    const auto found = std::find_if(table.cbegin(), table.cend(), [&key](const Profile &p) {
        return key.compare(QLatin1String(p.key), Qt::CaseInsensitive) == 0;
    });
    return found != table.cend() ? &*found : nullptr;
}
