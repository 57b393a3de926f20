// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVector>

#include <optional>

// The last ten minutes of every CPU's frequency and utilisation and of the package's temperature
// and power, one column per second in a ring: a second's column is cleared when the ring comes
// round to it again, so seconds without a sample stay empty instead of repeating old values.
class MonitorHistory
{
public:
    static constexpr int seconds = 600;

    explicit MonitorHistory(int cpus);

    // Values for a second (monotonic, counted by the caller); a later value of the same second
    // replaces an earlier one, and seconds older than the ring are dropped.
    void recordFrequency(qint64 second, int cpu, int mhz);
    void recordUtilisation(qint64 second, int cpu, double percent);
    void recordPackage(qint64 second, std::optional<double> celsius, std::optional<double> watts);

    int cpus() const { return cpuCount; }
    // The newest second recorded; -1 before the first.
    qint64 latest() const { return newest; }
    // A second's values; -1 or nothing where none was recorded (or it fell out of the ring).
    int mhz(int cpu, qint64 second) const;
    int utilisation(int cpu, qint64 second) const;
    // The same, or the newest value of the holdSeconds before it: a refresh of many CPUs may take
    // longer than a second, and a CPU read every few seconds should not look like a gap. age
    // receives how many seconds older the value is.
    int mhzHeld(int cpu, qint64 second, int *age = nullptr) const;
    int utilisationHeld(int cpu, qint64 second, int *age = nullptr) const;
    static constexpr int holdSeconds = 5;
    std::optional<double> temperature(qint64 second) const;
    std::optional<double> power(qint64 second) const;

private:
    // The slot of a second, moving the ring on to it; -1 for a second older than the ring.
    int slotFor(qint64 second);
    int slotOf(qint64 second) const;

    int cpuCount;
    qint64 newest = -1;
    QVector<qint64> slotSecond;
    QVector<qint16> frequencies; // [slot * cpus + cpu], MHz
    QVector<qint8> utilisations; // [slot * cpus + cpu], percent
    QVector<float> temperatures; // NaN: none
    QVector<float> powers;
};
