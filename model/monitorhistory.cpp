// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitorhistory.h"

#include <QtGlobal>

#include <cmath>
#include <limits>

namespace
{
constexpr float none = std::numeric_limits<float>::quiet_NaN();

std::optional<double> valueOf(float v)
{
    return std::isnan(v) ? std::nullopt : std::optional<double>(v);
}
} // namespace

MonitorHistory::MonitorHistory(int cpus)
    : cpuCount(qMax(0, cpus))
    , slotSecond(seconds, -1)
    , frequencies(seconds * cpuCount, qint16(-1))
    , utilisations(seconds * cpuCount, qint8(-1))
    , temperatures(seconds, none)
    , powers(seconds, none)
{
}

int MonitorHistory::slotOf(qint64 second) const
{
    if (second < 0 || second > newest || second <= newest - seconds)
        return -1;
    const int slot = int(second % seconds);
    return slotSecond.at(slot) == second ? slot : -1;
}

int MonitorHistory::slotFor(qint64 second)
{
    if (second < 0 || (newest >= 0 && second <= newest - seconds))
        return -1;
    // Clear every slot the ring passes on its way to this second; at most once round.
    for (qint64 s = qMax(newest + 1, second - seconds + 1); s <= second; ++s) {
        const int slot = int(s % seconds);
        slotSecond[slot] = s;
        const qsizetype first = qsizetype(slot) * cpuCount;
        std::fill_n(frequencies.begin() + first, cpuCount, qint16(-1));
        std::fill_n(utilisations.begin() + first, cpuCount, qint8(-1));
        temperatures[slot] = none;
        powers[slot] = none;
    }
    newest = qMax(newest, second);
    return int(second % seconds);
}

void MonitorHistory::recordFrequency(qint64 second, int cpu, int mhz)
{
    const int slot = slotFor(second);
    if (slot >= 0 && cpu >= 0 && cpu < cpuCount)
        frequencies[slot * cpuCount + cpu] = qint16(qBound(0, mhz, 32767));
}

void MonitorHistory::recordUtilisation(qint64 second, int cpu, double percent)
{
    const int slot = slotFor(second);
    if (slot >= 0 && cpu >= 0 && cpu < cpuCount)
        utilisations[slot * cpuCount + cpu] = qint8(qBound(0, int(std::lround(percent)), 100));
}

void MonitorHistory::recordPackage(qint64 second, std::optional<double> celsius, std::optional<double> watts)
{
    const int slot = slotFor(second);
    if (slot < 0)
        return;
    if (celsius)
        temperatures[slot] = float(*celsius);
    if (watts)
        powers[slot] = float(*watts);
}

int MonitorHistory::mhz(int cpu, qint64 second) const
{
    const int slot = slotOf(second);
    return slot < 0 || cpu < 0 || cpu >= cpuCount ? -1 : frequencies.at(slot * cpuCount + cpu);
}

int MonitorHistory::utilisation(int cpu, qint64 second) const
{
    const int slot = slotOf(second);
    return slot < 0 || cpu < 0 || cpu >= cpuCount ? -1 : utilisations.at(slot * cpuCount + cpu);
}

std::optional<double> MonitorHistory::temperature(qint64 second) const
{
    const int slot = slotOf(second);
    return slot < 0 ? std::nullopt : valueOf(temperatures.at(slot));
}

std::optional<double> MonitorHistory::power(qint64 second) const
{
    const int slot = slotOf(second);
    return slot < 0 ? std::nullopt : valueOf(powers.at(slot));
}

int MonitorHistory::mhzHeld(int cpu, qint64 second, int *age) const
{
    for (int back = 0; back <= holdSeconds; ++back) {
        const int value = mhz(cpu, second - back);
        if (value >= 0) {
            if (age)
                *age = back;
            return value;
        }
    }
    return -1;
}

int MonitorHistory::utilisationHeld(int cpu, qint64 second, int *age) const
{
    for (int back = 0; back <= holdSeconds; ++back) {
        const int value = utilisation(cpu, second - back);
        if (value >= 0) {
            if (age)
                *age = back;
            return value;
        }
    }
    return -1;
}
