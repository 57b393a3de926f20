// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "mountedsim.h"
#include "mountnamespace.h"
#include "sysfsfixture.h"

// How scripts/run.sh starts the built program (scripts/start.sh): on the kernel's cpufreq
// interface where the machine has one, else on a simulated machine that is stopped with the
// program, else as it is with the reason in one line. The machine's /sys/devices/system/cpu,
// /proc/cpuinfo and /dev/fuse are replaced inside this test's mount namespace.
class TestDemoRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void realInterfaceIsUsed();
    void simulatedMachineWithoutInterface();
    void userGetsSimulatedMachine();
    void userFallsBackWithReason();
    void interruptStopsProgramAndSimulator();

private:
    struct Result {
        int code = -1;
        QByteArray out;
        QByteArray err;
    };
    Result start(const QString &buildDir, const QStringList &args, bool asNobody = false);
    void bindMachineWithoutCpufreq();
    bool bind(const QString &source, const QString &target);

    QTemporaryDir standInBuild;
    std::unique_ptr<QTemporaryDir> tmp; // TMPDIR of the scripts: whatever they leave is found here
    std::unique_ptr<QTemporaryDir> bare;
    QStringList bound;
};

namespace
{
const QString sourceDir = QStringLiteral(FREQDECK_SOURCE_DIR);
const QString simulator = QStringLiteral(FREQDECK_CPUFREQ_SIM);
const uid_t nobody = 65534;

// Tells what the program was shown, then fails in a way of its own.
const char standInProgram[] = R"sh(#!/bin/sh
cpu=/sys/devices/system/cpu
echo "driver: $(cat $cpu/cpu1/cpufreq/scaling_driver 2>/dev/null)"
echo "cpus: $(grep -c '^processor' /proc/cpuinfo)"
echo "model: $(grep -m1 '^model name' /proc/cpuinfo | sed 's/^[^:]*: //')"
echo "uid: $(id -u)"
echo powersave 2>/dev/null >$cpu/cpu1/cpufreq/scaling_governor &&
    echo "governor: $(cat $cpu/cpu1/cpufreq/scaling_governor)"
echo "environment: $(env | grep '^FREQDECK_' | grep -vc '^FREQDECK_STATE_DIR=')"
printf 'args:'; printf ' <%s>' "$@"; echo
exit 7
)sh";

void makeTraversable(const QString &path)
{
    ::chmod(QFile::encodeName(path).constData(), 0755);
}

QStringList leftovers(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

// Fields of /proc/PID/stat after the command name, which may itself hold spaces and parentheses.
QList<QByteArray> statFields(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ');
}

// The processes of a process group that run the given executable.
QList<qint64> groupMembersRunning(qint64 group, const QString &executable)
{
    QList<qint64> found;
    const QString wanted = QFileInfo(executable).canonicalFilePath();
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        const QList<QByteArray> fields = statFields(pid);
        if (fields.size() > 2 && fields[2].toLongLong() == group
            && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == wanted)
            found << pid;
    }
    return found;
}

// Whether the process has a handler for the signal, from the SigCgt mask of /proc/PID/status.
bool catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

bool alive(qint64 pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

// A script that failed to stop its simulator must not leave it running after the test.
void stopSimulatorsUnder(const QString &dir)
{
    const QString wanted = QFileInfo(simulator).canonicalFilePath();
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (isPid && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == wanted
            && cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(QFile::encodeName(dir)))
            ::kill(static_cast<pid_t>(pid), SIGTERM);
    }
}
} // namespace

void TestDemoRun::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("replacing /sys, /proc and /dev paths and acting as another user need root");
    if (!MountNamespace::available())
        QSKIP(qPrintable("needs a private mount namespace: " + MountNamespace::reason()));
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        QSKIP("needs setpriv to act as another user");

    // A build directory whose program is the stand-in, beside the real simulator.
    QVERIFY(standInBuild.isValid());
    const QDir build(standInBuild.path());
    QVERIFY(build.mkpath(QStringLiteral("ui")) && build.mkpath(QStringLiteral("tools/cpufreq-sim")));
    QFile program(build.filePath(QStringLiteral("ui/freqdeck")));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write(standInProgram);
    program.close();
    QVERIFY(program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                   | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
    QVERIFY(QFile::link(simulator, build.filePath(QStringLiteral("tools/cpufreq-sim/freqdeck-cpufreq-sim"))));
    makeTraversable(standInBuild.path());
}

void TestDemoRun::init()
{
    tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(tmp->isValid());
    ::chmod(QFile::encodeName(tmp->path()).constData(), 01777);
}

void TestDemoRun::cleanup()
{
    // Last bound first: a bind may lie on top of another.
    while (!bound.isEmpty())
        MountNamespace::unmount(bound.takeLast());
    stopSimulatorsUnder(tmp->path());
    bare.reset();
    tmp.reset();
}

bool TestDemoRun::bind(const QString &source, const QString &target)
{
    if (!MountNamespace::bind(source, target))
        return false;
    bound << target;
    return true;
}

// Cores as a kernel without a cpufreq driver shows them: no cpuN/cpufreq anywhere.
void TestDemoRun::bindMachineWithoutCpufreq()
{
    bare = std::make_unique<QTemporaryDir>();
    QVERIFY(bare->isValid());
    for (const char *name : {"cpu0", "cpu1", "cpufreq", "cpuidle"})
        QVERIFY(QDir(bare->path()).mkdir(QLatin1String(name)));
    makeTraversable(bare->path());
    QVERIFY2(bind(bare->path(), QStringLiteral("/sys/devices/system/cpu")), qPrintable(MountNamespace::reason()));
}

TestDemoRun::Result TestDemoRun::start(const QString &buildDir, const QStringList &args, bool asNobody)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("FREQDECK_CPUFREQ_SIM"));
    env.insert(QStringLiteral("TMPDIR"), tmp->path());
    process.setProcessEnvironment(env);
    const QString script = sourceDir + QStringLiteral("/scripts/start.sh");
    if (asNobody)
        process.start(QStringLiteral("setpriv"),
                      QStringList{QStringLiteral("--reuid=%1").arg(nobody), QStringLiteral("--regid=%1").arg(nobody),
                                  QStringLiteral("--clear-groups"), script, buildDir}
                          + args);
    else
        process.start(script, QStringList{buildDir} + args);
    Result r;
    // Bounded only so that a hanging script fails the test instead of blocking it.
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return r;
    }
    r.code = process.exitCode();
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

void TestDemoRun::realInterfaceIsUsed()
{
    SysfsFixture machine;
    for (int i = 0; i < 2; ++i)
        machine.addTypicalCore(i);
    machine.writeCpuInfoForModel(QStringLiteral("Fixture With Cpufreq"), 2);
    QVERIFY(bind(machine.cpuDir(), QStringLiteral("/sys/devices/system/cpu")));
    QVERIFY(bind(machine.cpuInfoPath(), QStringLiteral("/proc/cpuinfo")));

    const Result r = start(standInBuild.path(), {QStringLiteral("-style"), QStringLiteral("two words")});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.code, 7);
    QCOMPARE(r.out, QByteArray("driver: acpi-cpufreq\n"
                               "cpus: 2\n"
                               "model: Fixture With Cpufreq\n"
                               "uid: 0\n"
                               "governor: powersave\n"
                               "environment: 0\n"
                               "args: <-style> <two words>\n"));
    QCOMPARE(machine.readAttribute(1, QStringLiteral("scaling_governor")), QByteArray("powersave\n"));
    QCOMPARE(mountsUnder(tmp->path()), QStringList());
    QCOMPARE(leftovers(*tmp), QStringList());
}

void TestDemoRun::simulatedMachineWithoutInterface()
{
    bindMachineWithoutCpufreq();
    const Result r = start(standInBuild.path(), {QStringLiteral("a b"), QStringLiteral("--")});
    QCOMPARE(r.err, QByteArray("No cpufreq interface on this machine: showing a simulated 8-CPU machine.\n"));
    QCOMPARE(r.code, 7);
    QCOMPARE(r.out, QByteArray("driver: acpi-cpufreq\n"
                               "cpus: 8\n"
                               "model: Intel(R) Core(TM) i7-4770 CPU @ 3.40GHz\n"
                               "uid: 0\n"
                               "governor: powersave\n"
                               "environment: 0\n"
                               "args: <a b> <-->\n"));
    // The simulator is gone with the program, and the machine's own paths are as they were.
    QCOMPARE(mountsUnder(tmp->path()), QStringList());
    QCOMPARE(leftovers(*tmp), QStringList());
    QCOMPARE(QDir(QStringLiteral("/sys/devices/system/cpu")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList{"cpu0", "cpu1", "cpufreq", "cpuidle"}));
}

void TestDemoRun::userGetsSimulatedMachine()
{
    // A /dev/fuse open to everyone, as most distributions have it, in this namespace only.
    QTemporaryDir devices;
    QVERIFY(devices.isValid());
    const QString node = devices.path() + QStringLiteral("/fuse");
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(10, 229)) != 0)
        QSKIP("cannot create a device node here");
    ::chmod(QFile::encodeName(node).constData(), 0666);
    if (QStandardPaths::findExecutable(QStringLiteral("fusermount3")).isEmpty())
        QSKIP("needs fusermount3 for a user's FUSE mount");
    QVERIFY(bind(node, QStringLiteral("/dev/fuse")));
    bindMachineWithoutCpufreq();

    const Result r = start(standInBuild.path(), {QStringLiteral("x")}, true);
    if (r.err.contains("user namespaces are not open"))
        QSKIP("user namespaces are closed to users here");
    QCOMPARE(r.err, QByteArray("No cpufreq interface on this machine: showing a simulated 8-CPU machine.\n"));
    QCOMPARE(r.code, 7);
    // Root of its own user namespace: the simulated files, owned by the user, are writable.
    QCOMPARE(r.out, QByteArray("driver: acpi-cpufreq\n"
                               "cpus: 8\n"
                               "model: Intel(R) Core(TM) i7-4770 CPU @ 3.40GHz\n"
                               "uid: 0\n"
                               "governor: powersave\n"
                               "environment: 0\n"
                               "args: <x>\n"));
    QCOMPARE(mountsUnder(tmp->path()), QStringList());
    QCOMPARE(leftovers(*tmp), QStringList());
}

void TestDemoRun::userFallsBackWithReason()
{
    // A /dev/fuse that only root may open.
    QTemporaryFile closed;
    QVERIFY(closed.open());
    QVERIFY(bind(closed.fileName(), QStringLiteral("/dev/fuse")));
    bindMachineWithoutCpufreq();

    const Result r = start(standInBuild.path(), {QStringLiteral("y")}, true);
    QCOMPARE(r.err, QByteArray("No cpufreq interface on this machine, and no simulated one: /dev/fuse is not open to "
                               "nobody, so only root can mount the simulator. Starting freqdeck as it is.\n"));
    QCOMPARE(r.code, 7);
    const QByteArray realModel = QByteArray("model: ") + ([] {
                                     QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
                                     if (!cpuinfo.open(QIODevice::ReadOnly))
                                         return QByteArray();
                                     for (const QByteArray &line : cpuinfo.readAll().split('\n')) {
                                         if (line.startsWith("model name"))
                                             return line.mid(line.indexOf(':') + 2);
                                     }
                                     return QByteArray();
                                 }())
                                 + '\n';
    QVERIFY2(r.out.startsWith("driver: \ncpus: "), r.out.constData());
    QVERIFY2(r.out.contains(realModel), r.out.constData());
    QVERIFY2(r.out.contains("uid: 65534\n"), r.out.constData());
    QVERIFY2(r.out.endsWith("environment: 0\nargs: <y>\n"), r.out.constData());
    QCOMPARE(mountsUnder(tmp->path()), QStringList());
    QCOMPARE(leftovers(*tmp), QStringList());
}

void TestDemoRun::interruptStopsProgramAndSimulator()
{
    bindMachineWithoutCpufreq();
    const QString binary = QStringLiteral(FREQDECK_BINARY);

    // In a process group of its own, which Ctrl-C in a terminal signals as a whole.
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("FREQDECK_CPUFREQ_SIM"));
    env.insert(QStringLiteral("TMPDIR"), tmp->path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Else Qt makes a runtime directory of its own in TMPDIR, where only the scripts' traces belong.
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    run.setProcessEnvironment(env);
    run.start(QStringLiteral("setsid"),
              {sourceDir + QStringLiteral("/scripts/start.sh"), QStringLiteral(FREQDECK_BUILD_DIR)});
    QVERIFY(run.waitForStarted());
    const qint64 group = run.processId();
    auto stop = qScopeGuard([&run, group] {
        if (run.state() == QProcess::NotRunning)
            return;
        // As a session manager ends it, then by force.
        ::kill(static_cast<pid_t>(-group), SIGTERM);
        run.terminate();
        if (!run.waitForFinished(30000)) {
            ::kill(static_cast<pid_t>(-group), SIGKILL);
            run.kill();
            run.waitForFinished();
        }
    });
    // setsid has run once the script leads its own group.
    QTRY_COMPARE(statFields(group).value(2).toLongLong(), group);

    // Interrupt only once the program can take it: its SIGINT handler is in place.
    QList<qint64> programs;
    QList<qint64> simulators;
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired() && run.state() == QProcess::Running) {
        programs = groupMembersRunning(group, binary);
        if (programs.size() == 1 && catches(programs.first(), SIGINT))
            break;
        QTest::qWait(50);
    }
    QCOMPARE(programs.size(), 1);
    QVERIFY(catches(programs.first(), SIGINT));
    simulators = groupMembersRunning(group, simulator);
    QCOMPARE(simulators.size(), 1);
    QVERIFY(!mountsUnder(tmp->path()).isEmpty());

    QCOMPARE(::kill(static_cast<pid_t>(-group), SIGINT), 0);
    QVERIFY(run.waitForFinished(60000));
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.readAllStandardError().split('\n').first(),
             QByteArray("No cpufreq interface on this machine: showing a simulated 8-CPU machine."));
    QTRY_VERIFY(!alive(programs.first()));
    QTRY_VERIFY(!alive(simulators.first()));
    QCOMPARE(mountsUnder(tmp->path()), QStringList());
    QCOMPARE(leftovers(*tmp), QStringList());
}

FREQDECK_NAMESPACED_TEST_MAIN(QCoreApplication, TestDemoRun)
#include "testdemorun.moc"
