#include "loadharness.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include "cpuinfo.h"

namespace
{

[[noreturn]] void fail(const QString &what)
{
    qFatal("load harness: %s", qPrintable(what));
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    // A write-only file (stats/reset) cannot be read without root; it is compared as unreadable.
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<unreadable>");
}

void writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        fail(QStringLiteral("cannot write %1").arg(path));
}

} // namespace

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
        if (online.isFile())
            onlineFiles.insert(rootDir.relativeFilePath(online.canonicalFilePath()));
        const QDir cpufreq(fx.coreDir(core) + QStringLiteral("/cpufreq"));
        const auto entries = cpufreq.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &entry : entries) {
            if (!entry.isSymLink() && entry.isFile() && entry.permission(QFile::WriteOwner))
                writable.insert(rootDir.relativeFilePath(entry.canonicalFilePath()));
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
            entry.content = readAll(path);
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
    return run(input, [](CPUInfo &info, const QString &path, QString *errorString,
                         const WriteFailureHandler &onFailure) { return info.load(path, errorString, onFailure); });
}

QStringList LoadHarness::run(const QByteArray &input, const Loader &loader)
{
    const QString path = inputDir.path() + QStringLiteral("/settings.json");
    writeAll(path, input);

    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QString error;
    QList<WriteFailure> failures;
    const bool loaded = loader(info, path, &error, [&failures](const WriteFailure &f) { failures.append(f); });
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
    for (const WriteFailure &failure : qAsConst(failures)) {
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

    restore(now);
    return problems;
}
