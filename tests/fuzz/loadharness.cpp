// SPDX-License-Identifier: GPL-3.0-or-later
#include "loadharness.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cpuinfo.h"
#include "safetext.h"

namespace
{

[[noreturn]] void fail(const QString &what)
{
    qFatal("load harness: %s", qPrintable(what));
}

// A file's bytes by read(2): QFile allocates a 16 KiB buffer for every file it opens, a good part
// of the cost of a snapshot under the sanitizers.
QByteArray readAll(const QByteArray &encodedPath)
{
    const int fd = ::open(encodedPath.constData(), O_RDONLY | O_CLOEXEC);
    // A write-only file (stats/reset) cannot be read without root; it is compared as unreadable.
    if (fd < 0)
        return QByteArrayLiteral("<unreadable>");
    QByteArray content;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, static_cast<int>(n));
    ::close(fd);
    return content;
}

void writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        fail(QStringLiteral("cannot write %1").arg(path));
}

// A value for the messages: printable and short.
QString shown(const QByteArray &value)
{
    return QLatin1Char('"') + SafeText::printable(QString::fromUtf8(value.left(60))) + QLatin1Char('"');
}

bool isAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

// What a settings file asked of one attribute file, by the cores that share it.
struct Asked {
    QMap<int, QByteArray> last;   // per core, the value of its last entry that named the file
    QMap<int, bool> lastKeepsOff; // per core, whether that entry keeps the core offline
    QSet<QByteArray> any;         // every value any entry asked for
    bool unchecked = false;       // a value that is no ASCII text: what the loader makes of it is its call
};

} // namespace

bool LoadHarness::modelLoad(CPUInfo &info, const QString &path, ApplyReport &report, QString *errorString)
{
    return info.load(path, report, errorString);
}

bool LoadHarness::modelSave(const CPUInfo &info, const QString &path, QString *errorString)
{
    return info.dump(path, errorString);
}

LoadHarness::LoadHarness()
{
    if (!fx.isValid() || !inputDir.isValid())
        fail(QStringLiteral("no temporary directory"));
    root = QFileInfo(fx.root()).canonicalFilePath();
    build();
    initial = snapshot();

    // The checks assume the model sees the tree as built; stop if it no longer does.
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QSet<int> listed;
    for (const CPUCore &core : info.cores)
        listed.insert(core.core_id());
    if (listed != coreIds || info.cores.size() != static_cast<size_t>(coreIds.size()))
        fail(QStringLiteral("the inventory does not list the cores of the tree"));

    // Many inputs leave the tree as built; its save and load with the model's own functions are
    // checked here once instead of after each of them.
    restore(checkSaveRoundTrip(modelLoad, modelSave, initial, asBuiltRoundTrip));
}

void LoadHarness::build()
{
    const int cores = 4;
    fx.writeCpuInfoForModel(QStringLiteral("Test CPU @ 2.40GHz"), cores);

    // cpu0, the boot CPU, has no online switch. Its cpufreq directory is a link to its policy, as
    // on a real machine, and holds the attributes of a driver with energy preferences.
    fx.addTypicalCore(0, 800000, 3400000, SysfsFixture::Online::Missing);
    fx.writeAttribute(0, QStringLiteral("energy_performance_preference"), "balance_performance\n");
    fx.writeAttribute(0, QStringLiteral("energy_performance_available_preferences"),
                      "default performance balance_performance balance_power power\n", 0444);
    fx.writeAttribute(0, QStringLiteral("scaling_setspeed"), "<unsupported>\n");
    fx.writeAttribute(0, QStringLiteral("bios_limit"), "3400000\n", 0444);
    fx.writeAttribute(0, QStringLiteral("cpuinfo_cur_freq"), "2100000\n", 0400);
    fx.linkCpufreqToPolicy(0);
    // A link among the attributes that leads out of the cpu directory: never an attribute.
    writeAll(fx.root() + QStringLiteral("/outside"), "outside\n");
    fx.addSymlink(0, QStringLiteral("boost_link"), fx.root() + QStringLiteral("/outside"));

    // cpu1 and cpu2 are siblings sharing one policy; cpu2 is offline.
    fx.addTypicalCore(1, 400000, 4200000);
    fx.writeAttribute(1, QStringLiteral("related_cpus"), "1 2\n", 0444);
    fx.writeAttribute(1, QStringLiteral("affected_cpus"), "1 2\n", 0444);
    fx.addSubdirectory(1, QStringLiteral("stats"));
    fx.writeAttribute(1, QStringLiteral("stats/reset"), QByteArray(), 0200);
    fx.writeAttribute(1, QStringLiteral("stats/time_in_state"), "4200000 10\n400000 20\n", 0444);
    fx.writeAttribute(1, QStringLiteral("stats/total_trans"), "7\n", 0444);
    fx.linkCpufreqToPolicy(1);
    fx.addCore(2, SysfsFixture::Online::Off);
    if (!QDir(fx.coreDir(2)).rmdir(QStringLiteral("cpufreq"))
        || !QFile::link(QStringLiteral("../cpufreq/policy1"), fx.coreDir(2) + QStringLiteral("/cpufreq")))
        fail(QStringLiteral("cannot link cpu2 to policy1"));

    // cpu3 has no cpufreq driver: an empty directory.
    fx.addCore(3);

    // Beside the cores: a global switch, other subsystems, a directory that is not a core.
    fx.addTopFile(QStringLiteral("cpufreq/boost"), "1\n");
    fx.addTopDirectory(QStringLiteral("cpuidle"));
    fx.addTopFile(QStringLiteral("cpuidle/current_driver"), "intel_idle\n");
    fx.addTopDirectory(QStringLiteral("cpu1a"));
    fx.addTopFile(QStringLiteral("cpu1a/online"), "1\n");
    fx.addTopFile(QStringLiteral("online"), "0-2\n");
    fx.addTopFile(QStringLiteral("possible"), "0-3\n");
    fx.addTopFile(QStringLiteral("kernel_max"), "8191\n");

    // What a load may write, found from the files themselves and not from the model: each core's
    // online file and every regular, owner-writable file directly in its cpufreq directory.
    const QDir rootDir(root);
    for (int core = 0; core < cores; ++core) {
        coreIds.insert(core);
        const QFileInfo online(fx.coreDir(core) + QStringLiteral("/online"));
        if (online.isFile()) {
            onlineFileOf.insert(core, rootDir.relativeFilePath(online.canonicalFilePath()));
            onlineFiles.insert(onlineFileOf.value(core));
        }
        const QDir cpufreq(fx.coreDir(core) + QStringLiteral("/cpufreq"));
        const auto entries = cpufreq.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &entry : entries) {
            if (!entry.isSymLink() && entry.isFile() && entry.permission(QFile::WriteOwner)) {
                const QString file = rootDir.relativeFilePath(entry.canonicalFilePath());
                writable.insert(file);
                attributeFiles[core].insert(entry.fileName(), file);
            }
        }
    }
    if (writable.isEmpty() || onlineFiles.isEmpty())
        fail(QStringLiteral("the tree has nothing to write"));
}

LoadHarness::Snapshot LoadHarness::snapshot() const
{
    Snapshot entries;
    const QDir rootDir(root);
    // Links to directories are recorded as links and not followed, so each file is seen once.
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QByteArray encoded = QFile::encodeName(path);
        struct stat st;
        if (::lstat(encoded.constData(), &st) != 0)
            continue;
        Entry entry;
        entry.mode = st.st_mode & 07777;
        if (S_ISLNK(st.st_mode)) {
            entry.kind = Entry::Link;
            char target[4096];
            const ssize_t n = ::readlink(encoded.constData(), target, sizeof target);
            entry.content = QByteArray(target, n > 0 ? static_cast<int>(n) : 0);
        } else if (S_ISDIR(st.st_mode)) {
            entry.kind = Entry::Directory;
        } else {
            entry.size = st.st_size;
            entry.content = readAll(encoded);
        }
        entries.insert(rootDir.relativeFilePath(path), entry);
    }
    return entries;
}

void LoadHarness::restore(const Snapshot &now)
{
    const QString prefix = root + QLatin1Char('/');
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!initial.contains(it.key())) {
            if (it->kind == Entry::Directory)
                QDir(prefix + it.key()).removeRecursively();
            else
                QFile::remove(prefix + it.key());
        }
    }
    for (auto it = initial.cbegin(); it != initial.cend(); ++it) {
        const QString path = prefix + it.key();
        const QByteArray encoded = QFile::encodeName(path);
        const auto current = now.constFind(it.key());
        if (current != now.cend() && *current == *it)
            continue;
        switch (it->kind) {
        case Entry::Directory:
            QDir().mkpath(path);
            break;
        case Entry::Link:
            QFile::remove(path);
            QFile::link(QFile::decodeName(it->content), path);
            break;
        case Entry::File:
            if (current != now.cend() && current->kind != Entry::File)
                QFile::remove(path);
            ::chmod(encoded.constData(), 0600);
            // Only the empty stats/reset is unreadable, so its content is known all the same.
            writeAll(path, it->content == "<unreadable>" ? QByteArray() : it->content);
            break;
        }
        if (it->kind != Entry::Link)
            ::chmod(encoded.constData(), static_cast<mode_t>(it->mode));
    }
}

QStringList LoadHarness::run(const QByteArray &input)
{
    return check(input, modelLoad, modelSave, true);
}

QStringList LoadHarness::run(const QByteArray &input, const Loader &loader, const Saver &saver)
{
    return check(input, loader, saver, false);
}

QStringList LoadHarness::check(const QByteArray &input, const Loader &loader, const Saver &saver, bool asBuiltChecked)
{
    const QString path = inputDir.path() + QStringLiteral("/settings.json");
    writeAll(path, input);

    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QString error;
    ApplyReport report;
    const bool loaded = loader(info, path, report, &error);
    const Snapshot now = snapshot();

    QStringList problems;
    for (auto it = initial.cbegin(); it != initial.cend(); ++it) {
        const auto after = now.constFind(it.key());
        if (after == now.cend()) {
            problems << QStringLiteral("removed: %1").arg(it.key());
        } else if (after->kind != it->kind || after->mode != it->mode) {
            problems << QStringLiteral("type or mode changed: %1").arg(it.key());
        } else if (after->content != it->content || after->size != it->size) {
            if (!loaded)
                problems << QStringLiteral("written by a refused load: %1").arg(it.key());
            else if (onlineFiles.contains(it.key()) && after->content != "0" && after->content != "1")
                problems << QStringLiteral("online switch set to \"%1\": %2")
                                .arg(QString::fromUtf8(after->content.left(40)), it.key());
            else if (!onlineFiles.contains(it.key()) && !writable.contains(it.key()))
                problems << QStringLiteral("written: %1").arg(it.key());
        }
    }
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!initial.contains(it.key()))
            problems << QStringLiteral("created: %1").arg(it.key());
    }
    if (!loaded && error.isEmpty())
        problems << QStringLiteral("refused without a reason");

    // A refused write names a core of the inventory and a file that the load may write; a setting
    // skipped without a write (error 0) may name anything the file said.
    for (const WriteFailure &failure : qAsConst(report.failures)) {
        if (failure.error == 0)
            continue;
        const QString name = QStringLiteral("cpu%1: %2").arg(failure.core).arg(failure.attribute);
        if (!coreIds.contains(failure.core)) {
            problems << QStringLiteral("failure reported for a core that does not exist: %1").arg(name);
            continue;
        }
        if (failure.attribute == QLatin1String("online"))
            continue;
        const QFileInfo file(fx.attributePath(failure.core, failure.attribute));
        if (!writable.contains(QDir(root).relativeFilePath(file.canonicalFilePath())))
            problems << QStringLiteral("failure reported for a file that may not be written: %1").arg(name);
    }

    if (loaded && report.ok())
        checkAsked(input, report, now, problems);
    if (asBuiltChecked && isAsBuilt(now)) {
        problems << asBuiltRoundTrip;
        restore(now);
    } else {
        restore(checkSaveRoundTrip(loader, saver, now, problems));
    }
    return problems;
}

// Whether the model would read the tree as it read the tree as built: the same entries with the
// same modes and the same content, line ends aside.
bool LoadHarness::isAsBuilt(const Snapshot &now) const
{
    return std::equal(now.cbegin(), now.cend(), initial.cbegin(), initial.cend(),
                      [](const Entry &a, const Entry &b) {
                          return a.kind == b.kind && a.mode == b.mode && a.content.trimmed() == b.content.trimmed();
                      })
           && std::equal(now.keyBegin(), now.keyEnd(), initial.keyBegin(), initial.keyEnd());
}

// A load that reports no failure has done what the file asked: each core's online switch holds the
// state of its last entry, and each writable attribute file the value of the last entry that named
// it, as the model reads it (surrounding white space aside). Where cores share a policy, the file
// holds the last value one of them asked for: the model skips a value equal to what it last read
// or wrote through that core, which another core may have changed since. A value not applied
// because its entry keeps the core offline is excused once a note says so; the file then holds one
// of the values asked for, in whatever order. Values that are no strings, or not ASCII, leave their
// file unchecked: sysfs refuses them anyway, and the loader may report or convert them.
void LoadHarness::checkAsked(const QByteArray &input, const ApplyReport &report, const Snapshot &now,
                             QStringList &problems) const
{
    const bool noted = !report.notes.isEmpty();
    QMap<int, QJsonObject> lastEntry;
    QMap<QString, Asked> asked; // by file relative to the root
    const QJsonArray entries = QJsonDocument::fromJson(input).array();
    for (const QJsonValue &element : entries) {
        const QJsonObject entry = element.toObject();
        const QJsonValue id = entry.value(QStringLiteral("id"));
        const auto core = std::find_if(coreIds.cbegin(), coreIds.cend(),
                                       [&id](int c) { return id.isDouble() && id.toDouble() == c; });
        if (core == coreIds.cend())
            continue;
        lastEntry.insert(*core, entry);
        const bool keepsOff = entry.value(QStringLiteral("isEnabled")) == QJsonValue(false);
        const QMap<QString, QString> files = attributeFiles.value(*core);
        const QJsonObject values = entry.value(QStringLiteral("policies")).toObject();
        for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
            const auto file = files.constFind(it.key());
            if (file == files.cend())
                continue; // not a writable attribute of the core: never written
            Asked &request = asked[*file];
            const QString text = it.value().toString();
            if (!it.value().isString() || !isAscii(text)) {
                request.unchecked = true;
                continue;
            }
            const QByteArray value = text.toLatin1().trimmed();
            request.last.insert(*core, value);
            request.lastKeepsOff.insert(*core, keepsOff);
            request.any.insert(value);
        }
    }

    for (auto it = lastEntry.cbegin(); it != lastEntry.cend(); ++it) {
        const QJsonValue enabled = it->value(QStringLiteral("isEnabled"));
        const auto file = onlineFileOf.constFind(it.key());
        if (!enabled.isBool() || file == onlineFileOf.cend())
            continue;
        const QByteArray wanted = enabled.toBool() ? "1" : "0";
        const QByteArray holds = now.value(*file).content.trimmed();
        if (holds != wanted)
            problems << QStringLiteral("online switch not as loaded: %1 holds %2, asked %3")
                            .arg(*file, shown(holds), shown(wanted));
    }

    for (auto it = asked.cbegin(); it != asked.cend(); ++it) {
        const bool required =
            !noted
            || std::any_of(it->lastKeepsOff.cbegin(), it->lastKeepsOff.cend(), [](bool keepsOff) { return !keepsOff; });
        if (it->unchecked || !required)
            continue;
        const QList<QByteArray> allowed = noted ? it->any.values() : it->last.values();
        const QByteArray holds = now.value(it.key()).content.trimmed();
        if (allowed.contains(holds))
            continue;
        QStringList wanted;
        for (const QByteArray &value : allowed)
            wanted << shown(value);
        wanted.removeDuplicates();
        wanted.sort();
        problems << QStringLiteral("not as loaded: %1 holds %2, asked %3")
                        .arg(it.key(), shown(holds), wanted.join(QStringLiteral(" or ")));
    }
}

// Saving the tree as the load left it and loading that save over it changes nothing (line ends
// aside, which the program never writes) and reports no failure. Notes are fine: settings of cores
// that stay offline may be skipped.
LoadHarness::Snapshot LoadHarness::checkSaveRoundTrip(const Loader &loader, const Saver &saver, const Snapshot &now,
                                                      QStringList &problems) const
{
    const QString path = inputDir.path() + QStringLiteral("/saved.json");
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QString error;
    if (!saver(info, path, &error)) {
        problems << QStringLiteral("cannot save the tree: %1").arg(error);
        return now;
    }
    ApplyReport report;
    if (!loader(info, path, report, &error))
        problems << QStringLiteral("own save refused: %1").arg(error);
    for (const WriteFailure &failure : qAsConst(report.failures))
        problems << QStringLiteral("own save did not load: %1").arg(describeFailure(failure));

    const Snapshot after = snapshot();
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        const auto before = now.constFind(it.key());
        if (before == now.cend() || before->kind != it->kind || before->mode != it->mode
            || before->content.trimmed() != it->content.trimmed())
            problems << QStringLiteral("changed by loading its own save: %1").arg(it.key());
    }
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!after.contains(it.key()))
            problems << QStringLiteral("removed by loading its own save: %1").arg(it.key());
    }
    return after;
}
