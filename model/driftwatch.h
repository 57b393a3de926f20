// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>
#include <vector>

#include "cpucore.h"

// What the program set on each core, kept in a small state file, and where a later read finds
// something else: another program, or the kernel, changed it since.
class DriftWatch
{
public:
    // A value that no longer reads as the program left it.
    struct Drift {
        int core = -1;
        QString attribute;
        QString set;   // what the program left there
        QString found; // what it reads now
        QDateTime setAt;
        QDateTime noticedAt; // the first look that found it changed
    };

    // This user's state file: $FREQDECK_STATE_DIR/set-values.json where that is set, else
    // /var/lib/freqdeck for root (the restore units) and $XDG_STATE_HOME/freqdeck (~/.local/state)
    // for others.
    static QString ownPath();
    // The files read: this user's, and for other users also root's, as the restore units left it.
    static QStringList defaultPaths();

    // The records for the machine whose CPU tree is machine (/sys/devices/system/cpu, or a
    // simulated one) from every file in paths; the first one is where save() writes. Records of
    // another machine are not read.
    explicit DriftWatch(const QStringList &paths = defaultPaths(),
                        const QString &machine = QStringLiteral("/sys/devices/system/cpu"));

    // The window's watch for the machine: reads the default files and records every write to it;
    // asked for another machine, it starts over for that one.
    static DriftWatch &shared(const QString &machine);
    // The window's watch as last asked for, if any.
    static DriftWatch *current();

    // The program wrote value; what the core shows at the next look is taken as what it set, as
    // the kernel may round it. A write may change other attributes of the core (a governor switch
    // moves the energy preference), so the core's other records are taken again as well.
    void wrote(int core, const QString &attribute, const QString &value, const QDateTime &when = now());
    // The program wrote and read back value: that is what it set.
    void kept(int core, const QString &attribute, const QString &value, const QDateTime &when = now());
    // Records every write of the process's cores from now on (see WriteObserver).
    void observeWrites();

    // Compares the cores as last read with what was set. Values that could not be read, and the
    // attributes of an offline core, are no drift. A value back to what was set is no drift any more.
    QVector<Drift> look(const std::vector<CPUCore> &cores, const QDateTime &at = now());
    // The same for one core; the drift of the others is kept as it was.
    QVector<Drift> look(const CPUCore &core, const QDateTime &at = now());
    QVector<Drift> drifts() const;
    std::optional<Drift> driftOf(int core, const QString &attribute) const;
    int recordCount() const;

    // Writes the records to the first file (SafeSave) when they changed since the last save.
    bool save(QString *errorString = nullptr);

    // "cpu2 scaling_max_freq: changed outside freqdeck at 14:02:11; freqdeck set 2000000"
    static QString describe(const Drift &drift);

private:
    struct Record {
        QString value;
        QDateTime setAt;
        bool pending = false; // written, not yet read back
    };
    using Key = QPair<int, QString>;

    static QDateTime now();
    void read(const QString &path);
    void lookAt(const CPUCore &core, const QDateTime &at);

    QStringList paths;
    QString machine;
    QMap<Key, Record> records;
    QMap<Key, Drift> found;
    bool changed = false;
};
