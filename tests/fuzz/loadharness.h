// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

#include "cpucore.h"
#include "sysfsfixture.h"

class CPUInfo;

// Loads arbitrary bytes as a settings file into an inventory over a fake sysfs tree and checks
// what must hold for every input: only writable attribute files of the inventory's cores and
// their online files are written, nothing is created or removed anywhere in the tree, a refused
// file changes nothing, every reported failure names a file that may be written, a load that
// reports no failure left what the file asked for, and saving the tree it left and loading that
// save changes nothing. Shared by the fuzz target and the replay test, so that a saved crash is
// checked in every build.
class LoadHarness final
{
public:
    // What is checked; the defaults run CPUInfo::load and CPUInfo::dump. The replay test swaps in
    // faulty ones to see that each check fires.
    using Loader = std::function<bool(CPUInfo &info, const QString &path, ApplyReport &report, QString *errorString)>;
    using Saver = std::function<bool(const CPUInfo &info, const QString &path, QString *errorString)>;
    static bool modelLoad(CPUInfo &info, const QString &path, ApplyReport &report, QString *errorString);
    static bool modelSave(const CPUInfo &info, const QString &path, QString *errorString);

    LoadHarness();

    // One check over the tree as built; the tree is restored afterwards. Empty when all holds,
    // else one line per broken rule. With the model's own load and save, an input that leaves the
    // tree as built is not followed by a save and load: that was checked once, at construction.
    QStringList run(const QByteArray &input);
    QStringList run(const QByteArray &input, const Loader &loader, const Saver &saver = modelSave);

    const SysfsFixture &fixture() const { return fx; }

private:
    struct Entry {
        enum Kind { File, Directory, Link } kind = File;
        uint mode = 0;
        qint64 size = 0;    // tells writes to a file that cannot be read apart
        QByteArray content; // a file's bytes or a link's target
        bool operator==(const Entry &other) const
        {
            return kind == other.kind && mode == other.mode && size == other.size && content == other.content;
        }
    };
    using Snapshot = QMap<QString, Entry>; // by path relative to the fixture's root

    void build();
    Snapshot snapshot() const;
    void restore(const Snapshot &now);
    bool isAsBuilt(const Snapshot &now) const;
    QStringList check(const QByteArray &input, const Loader &loader, const Saver &saver, bool asBuiltChecked);
    void checkAsked(const QByteArray &input, const ApplyReport &report, const Snapshot &now,
                    QStringList &problems) const;
    // Saves the tree as the load left it (now) and loads the save; returns the tree as it is then.
    Snapshot checkSaveRoundTrip(const Loader &loader, const Saver &saver, const Snapshot &now,
                                QStringList &problems) const;

    SysfsFixture fx;
    QString root;           // the fixture's root with links resolved, as the kernel resolves written paths
    QTemporaryDir inputDir; // the settings file lives outside the checked tree
    Snapshot initial;
    QSet<QString> writable;    // attribute files the load may write, relative to the root
    QSet<QString> onlineFiles; // the cores' online switches, relative to the root
    QSet<int> coreIds;
    QMap<int, QMap<QString, QString>> attributeFiles; // per core: writable attribute name to file
    QMap<int, QString> onlineFileOf;                  // per core that has a switch
    QStringList asBuiltRoundTrip;                     // what saving and loading the tree as built broke
};
