// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <QProcess>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cpucore.h"
#include "cpuinfo.h"
#include "mountedsim.h"
#include "mountnamespace.h"

namespace
{

const QString simulatorPath = QStringLiteral(FREQDECK_CPUFREQ_SIM);

QByteArray readAll(const QString &path, int *error = nullptr)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = errno;
        return QByteArray();
    }
    QByteArray text;
    char buf[512];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        text.append(buf, static_cast<int>(n));
    if (error)
        *error = n < 0 ? errno : 0;
    ::close(fd);
    return text;
}

// One write(2) through a truncating open, as a shell redirection does it; the errno, or 0.
int writeOnce(const QString &path, const QByteArray &text, ssize_t *written = nullptr)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const ssize_t n = ::write(fd, text.constData(), static_cast<size_t>(text.size()));
    const int err = n < 0 ? errno : 0;
    if (written)
        *written = n;
    const int closed = ::close(fd);
    return err ? err : (closed == 0 ? 0 : errno);
}

} // namespace

// The simulator mounted through FUSE, checked with real system calls and with the CPU model.
class TestCpufreqSimMount : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void treeListsWithModes();
    void writeReportsRefusalInTheCall();
    void truncatingOpensAndRedirection();
    void offlineAttributesAreBusy();
    void readsInPieces();
    void otherUsersSeeSysfsModes();
    void modelReadsTheSimulator();
    void sigtermStopsAndUnmounts();
    void scriptRunsCommandOnSimulatedMachine();
};

#define START_SIM(sim)                                \
    do {                                              \
        QString why;                                  \
        QVERIFY2((sim).start(&why), qPrintable(why)); \
    } while (false)

void TestCpufreqSimMount::initTestCase()
{
    const QString unavailable = MountedSim::unavailableReason(simulatorPath);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
}

void TestCpufreqSimMount::treeListsWithModes()
{
    MountedSim sim(simulatorPath);
    START_SIM(sim);
    const QStringList top = QDir(sim.cpu()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const char *name :
         {"cpu0", "cpu7", "cpufreq", "cpuidle", "online", "offline", "possible", "present", "kernel_max"})
        QVERIFY2(top.contains(QLatin1String(name)), name);
    QVERIFY(!top.contains(QStringLiteral("cpu8")));
    QCOMPARE(
        QDir(sim.mnt()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        (QStringList{QStringLiteral("cpu"), QStringLiteral("cpuinfo"), QStringLiteral("stat"), QStringLiteral("sys")}));
    // The same tree again where it sits in /sys, links and all.
    QFile viaSys(sim.mnt() + QStringLiteral("/sys/devices/system/cpu/cpu7/cpufreq/scaling_max_freq"));
    QVERIFY(viaSys.open(QIODevice::ReadOnly));
    QCOMPARE(viaSys.readAll(), readAll(sim.policy(7, QStringLiteral("scaling_max_freq"))));

    // Listed through the cpuN/cpufreq link, as the model does.
    const QStringList attrs = QDir(sim.cpu() + QStringLiteral("/cpu3/cpufreq")).entryList(QDir::Files);
    QCOMPARE(attrs.size(), 16);
    QVERIFY(attrs.contains(QStringLiteral("scaling_governor")));
    QVERIFY(attrs.contains(QStringLiteral("scaling_available_frequencies")));
    QCOMPARE(QDir(sim.cpu() + QStringLiteral("/cpu3/cpufreq/stats")).entryList(QDir::Files).size(), 4);

    const struct {
        QString path;
        mode_t mode;
    } expected[] = {
        {sim.policy(3, "scaling_governor"), S_IFREG | 0644},
        {sim.policy(3, "scaling_max_freq"), S_IFREG | 0644},
        {sim.policy(3, "scaling_cur_freq"), S_IFREG | 0444},
        {sim.policy(3, "cpuinfo_cur_freq"), S_IFREG | 0400},
        {sim.policy(3, "scaling_available_governors"), S_IFREG | 0444},
        {sim.policy(3, "stats/reset"), S_IFREG | 0200},
        {sim.policy(3, "stats"), S_IFDIR | 0755},
        {sim.cpu() + "/cpu3/online", S_IFREG | 0644},
        {sim.cpu() + "/cpu3/cpufreq", S_IFLNK | 0777},
        {sim.cpu() + "/cpu3", S_IFDIR | 0755},
        {sim.cpu() + "/online", S_IFREG | 0444},
        {sim.mnt() + "/cpuinfo", S_IFREG | 0444},
    };
    for (const auto &e : expected) {
        struct stat st;
        QVERIFY2(::lstat(QFile::encodeName(e.path).constData(), &st) == 0, qPrintable(e.path));
        QCOMPARE(QString::number(st.st_mode, 8), QString::number(e.mode, 8));
        QCOMPARE(st.st_uid, ::geteuid());
    }
    char target[64] = {};
    QVERIFY(::readlink(QFile::encodeName(sim.cpu() + "/cpu3/cpufreq").constData(), target, sizeof target - 1) > 0);
    QCOMPARE(QString::fromLatin1(target), QStringLiteral("../cpufreq/policy3"));
    struct stat st;
    QCOMPARE(::lstat(QFile::encodeName(sim.cpu() + "/cpu0/online").constData(), &st), -1);
    QCOMPARE(errno, ENOENT);
}

void TestCpufreqSimMount::writeReportsRefusalInTheCall()
{
    MountedSim sim(simulatorPath);
    START_SIM(sim);
    const QString governor = sim.policy(2, "scaling_governor");
    const int fd = ::open(QFile::encodeName(governor).constData(), O_WRONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    errno = 0;
    QCOMPARE(::write(fd, "bogus", 5), ssize_t(-1));
    QCOMPARE(errno, EINVAL);
    QCOMPARE(::write(fd, "", 0), ssize_t(0));
    QCOMPARE(::write(fd, "performance\n", 12), ssize_t(12));
    QCOMPARE(::close(fd), 0);
    QCOMPARE(readAll(governor), QByteArray("performance\n"));

    // Reading back, even through the same descriptor, gives the limit in force, not the text
    // written: 2100000 kHz settles on the 2000000 kHz P-state.
    const QString max = sim.policy(2, "scaling_max_freq");
    const int rw = ::open(QFile::encodeName(max).constData(), O_RDWR | O_CLOEXEC);
    QVERIFY(rw >= 0);
    QCOMPARE(::write(rw, "2100000", 7), ssize_t(7));
    char buf[32] = {};
    QCOMPARE(::pread(rw, buf, sizeof buf - 1, 0), ssize_t(8));
    QCOMPARE(QByteArray(buf), QByteArray("2000000\n"));
    QCOMPARE(::close(rw), 0);
    // truncate(2) is accepted and changes nothing, as on sysfs.
    QCOMPARE(::truncate(QFile::encodeName(max).constData(), 0), 0);
    QCOMPARE(readAll(max), QByteArray("2000000\n"));

    // A write longer than a page is cut there, and write(2) says so.
    QByteArray page(4095, ' ');
    page += "2000000";
    ssize_t written = 0;
    QCOMPARE(writeOnce(sim.policy(2, "scaling_max_freq"), page, &written), 0);
    QCOMPARE(written, ssize_t(4096));
    QCOMPARE(readAll(sim.policy(2, "scaling_max_freq")), QByteArray("800000\n"));

    // Read-only attributes refuse a writing open, root included, as kernfs does.
    QCOMPARE(writeOnce(sim.policy(2, "scaling_cur_freq"), "800000"), EACCES);
    QCOMPARE(writeOnce(sim.mnt() + "/cpuinfo", "x"), EACCES);
}

void TestCpufreqSimMount::truncatingOpensAndRedirection()
{
    MountedSim sim(simulatorPath, {QStringLiteral("--driver"), QStringLiteral("intel_pstate")});
    START_SIM(sim);
    const QString epp = sim.policy(1, "energy_performance_preference");
    QCOMPARE(writeOnce(epp, "power"), 0);
    QCOMPARE(readAll(epp), QByteArray("power\n"));
    QCOMPARE(writeOnce(epp, "turbo"), EINVAL);
    QCOMPARE(writeOnce(sim.policy(1, "scaling_governor"), "performance"), 0);
    QCOMPARE(readAll(epp), QByteArray("performance\n"));
    QCOMPARE(writeOnce(epp, "power"), EBUSY);

    // A shell redirection opens with O_TRUNC and reports the store's error.
    const auto shell = [](const QString &command) {
        QProcess sh;
        sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
        return sh.waitForFinished(60000) && sh.exitStatus() == QProcess::NormalExit ? sh.exitCode() : -1;
    };
    QCOMPARE(shell(QStringLiteral("echo powersave > '%1'").arg(sim.policy(1, "scaling_governor"))), 0);
    QCOMPARE(readAll(sim.policy(1, "scaling_governor")), QByteArray("powersave\n"));
    QCOMPARE(readAll(epp), QByteArray("power\n"));
    QVERIFY(shell(QStringLiteral("echo ondemand > '%1'").arg(sim.policy(1, "scaling_governor"))) > 0);
    QCOMPARE(readAll(sim.policy(1, "scaling_governor")), QByteArray("powersave\n"));
}

void TestCpufreqSimMount::offlineAttributesAreBusy()
{
    MountedSim sim(simulatorPath);
    START_SIM(sim);
    QCOMPARE(writeOnce(sim.cpu() + "/cpu5/online", "0\n"), 0);
    QCOMPARE(readAll(sim.cpu() + "/cpu5/online"), QByteArray("0\n"));
    QCOMPARE(readAll(sim.cpu() + "/online"), QByteArray("0-4,6-7\n"));

    // Opening works; the read and the write themselves fail.
    int error = 0;
    QCOMPARE(readAll(sim.policy(5, "scaling_governor"), &error), QByteArray());
    QCOMPARE(error, EBUSY);
    QCOMPARE(writeOnce(sim.policy(5, "scaling_governor"), "performance"), EBUSY);
    struct stat st;
    QCOMPARE(::lstat(QFile::encodeName(sim.cpu() + "/cpu5/cpufreq").constData(), &st), 0);
    QVERIFY(S_ISLNK(st.st_mode));
    QVERIFY(QDir(sim.cpu() + "/cpu5/cpufreq").entryList(QDir::Files).contains(QStringLiteral("scaling_governor")));

    QCOMPARE(writeOnce(sim.cpu() + "/cpu5/online", "2"), EINVAL);
    QCOMPARE(writeOnce(sim.cpu() + "/cpu5/online", "1"), 0);
    QCOMPARE(readAll(sim.policy(5, "scaling_governor")), QByteArray("schedutil\n"));
}

void TestCpufreqSimMount::readsInPieces()
{
    MountedSim sim(simulatorPath);
    START_SIM(sim);
    const QString path = sim.policy(0, "scaling_available_frequencies");
    const QByteArray whole = readAll(path);
    QVERIFY(whole.startsWith("3400000 ") && whole.endsWith(" 800000 \n"));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    QByteArray pieces;
    char c;
    while (::read(fd, &c, 1) == 1)
        pieces += c;
    char tail[8];
    QCOMPARE(::pread(fd, tail, 7, 8), ssize_t(7));
    ::close(fd);
    QCOMPARE(pieces, whole);
    QCOMPARE(QByteArray(tail, 7), whole.mid(8, 7));

    // Once read has begun, the rest comes from the text produced by the first read, as sysfs's
    // buffer does: taking the CPU offline in between does not break a reader in mid-value.
    const QString governor = sim.policy(1, "scaling_governor");
    const int gfd = ::open(QFile::encodeName(governor).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(gfd >= 0);
    char first = 0;
    QCOMPARE(::read(gfd, &first, 1), ssize_t(1));
    QCOMPARE(writeOnce(sim.cpu() + "/cpu1/online", "0"), 0);
    char rest[32] = {};
    QCOMPARE(::read(gfd, rest, sizeof rest - 1), ssize_t(9));
    ::close(gfd);
    QCOMPARE(first + QByteArray(rest), QByteArray("schedutil\n"));
    int error = 0;
    readAll(governor, &error);
    QCOMPARE(error, EBUSY);
}

void TestCpufreqSimMount::otherUsersSeeSysfsModes()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as another user");
    MountedSim sim(simulatorPath);
    START_SIM(sim);
    // The temporary directory is private to its owner; the way to the mount must be open.
    QCOMPARE(::chmod(QFile::encodeName(sim.root()).constData(), 0755), 0);
    const QByteArray readable = QFile::encodeName(sim.policy(0, "scaling_cur_freq"));
    const QByteArray rootOnly = QFile::encodeName(sim.policy(0, "cpuinfo_cur_freq"));
    const QByteArray writable = QFile::encodeName(sim.policy(0, "scaling_governor"));
    const QByteArray cpuinfo = QFile::encodeName(sim.mnt() + "/cpuinfo");
    // A child turned into nobody reports, one bit per check, what went other than on sysfs.
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        int wrong = 0;
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(64);
        const auto opens = [](const QByteArray &path, int flags) {
            const int fd = ::open(path.constData(), flags | O_CLOEXEC);
            const int err = fd < 0 ? errno : 0;
            if (fd >= 0)
                ::close(fd);
            return err;
        };
        wrong |= opens(readable, O_RDONLY) != 0 ? 1 : 0;
        wrong |= opens(cpuinfo, O_RDONLY) != 0 ? 2 : 0;
        wrong |= opens(rootOnly, O_RDONLY) != EACCES ? 4 : 0;
        wrong |= opens(writable, O_WRONLY) != EACCES ? 8 : 0;
        ::_exit(wrong);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

void TestCpufreqSimMount::modelReadsTheSimulator()
{
    const QString model = QStringLiteral("Simulated Test CPU @ 2.00GHz");
    MountedSim sim(simulatorPath, {QStringLiteral("--model"), model});
    START_SIM(sim);
    CPUInfo info(sim.cpu(), sim.mnt() + QStringLiteral("/cpuinfo"));
    QCOMPARE(info.cores.size(), size_t(8));
    QCOMPARE(info.modelName, model);
    for (size_t i = 0; i < info.cores.size(); ++i) {
        const CPUCore &core = info.cores[i];
        QCOMPARE(core.core_id(), short(i));
        QVERIFY(core.isEnabled());
        const CPUPolicy governor = core.policies.value(QStringLiteral("scaling_governor"));
        QCOMPARE(governor.value, QStringLiteral("schedutil"));
        QVERIFY(governor.readable && governor.writable);
        const CPUPolicy cur = core.policies.value(QStringLiteral("scaling_cur_freq"));
        QVERIFY(cur.readable && !cur.writable);
        QVERIFY(cur.value.toUInt() >= 800000 && cur.value.toUInt() <= 3400000);
        QCOMPARE(core.policies.value(QStringLiteral("scaling_available_governors")).value,
                 QStringLiteral("performance powersave schedutil ondemand userspace"));
    }

    CPUCore &core = info.cores[3];
    errno = 0;
    QVERIFY(!core.setPolicy(QStringLiteral("scaling_governor"), QStringLiteral("bogus")));
    QCOMPARE(errno, EINVAL);
    QVERIFY(core.setPolicy(QStringLiteral("scaling_governor"), QStringLiteral("performance")));
    QVERIFY(core.update());
    QCOMPARE(core.policies.value(QStringLiteral("scaling_governor")).value, QStringLiteral("performance"));
    QCOMPARE(info.cores[2].policies.value(QStringLiteral("scaling_governor")).value, QStringLiteral("schedutil"));
}

void TestCpufreqSimMount::sigtermStopsAndUnmounts()
{
    MountedSim sim(simulatorPath);
    START_SIM(sim);
    QVERIFY(isMountPoint(sim.mnt()));
    const int status = sim.stop();
    QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, qPrintable(sim.log()));
    QVERIFY(!isMountPoint(sim.mnt()));
    QVERIFY(QDir(sim.mnt()).isEmpty());
}

void TestCpufreqSimMount::scriptRunsCommandOnSimulatedMachine()
{
    if (::geteuid() != 0)
        QSKIP("run here as root; test_demorun runs the script as a user");
    struct Result {
        int code = -1;
        QByteArray out;
        QByteArray err;
    };
    // The script's TMPDIR, where its mount point is made: what it leaves is found here, and only here.
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const bool cpuWasMountPoint = isMountPoint(QStringLiteral("/sys/devices/system/cpu"));
    const auto run = [&tmp](const QStringList &args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("FREQDECK_CPUFREQ_SIM"), simulatorPath);
        env.insert(QStringLiteral("TMPDIR"), tmp.path());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(QStringLiteral(FREQDECK_SOURCE_DIR "/scripts/with-simulated-cpus.sh"), args);
        Result r;
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.code = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    };
    Result r = run({QStringLiteral("cat"), QStringLiteral("/sys/devices/system/cpu/cpu3/cpufreq/scaling_governor")});
    QVERIFY2(r.code == 0, r.err.constData());
    QCOMPARE(r.out, QByteArray("schedutil\n"));
    QCOMPARE(mountsUnder(tmp.path()), QStringList());
    QVERIFY(QDir(tmp.path()).isEmpty());

    // Simulator options, and the command's failure passed on after the simulator is gone.
    r = run({QStringLiteral("--driver"), QStringLiteral("intel_pstate"), QStringLiteral("--cpus"), QStringLiteral("4"),
             QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
             QStringLiteral("cat /sys/devices/system/cpu/cpu1/cpufreq/scaling_driver; "
                            "grep -c '^model name' /proc/cpuinfo; exit 3")});
    QVERIFY2(r.code == 3, r.err.constData());
    QCOMPARE(r.out, QByteArray("intel_pstate\n4\n"));
    QCOMPARE(mountsUnder(tmp.path()), QStringList());
    QVERIFY(QDir(tmp.path()).isEmpty());
    // The bind mounts stayed in the script's own namespace.
    QCOMPARE(isMountPoint(QStringLiteral("/sys/devices/system/cpu")), cpuWasMountPoint);
}

int main(int argc, char **argv)
{
    // As root, every mount of this test stays in a mount namespace of its own.
    if (::geteuid() == 0)
        MountNamespace::enter();
    QCoreApplication app(argc, argv);
    TestCpufreqSimMount tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "testcpufreqsimmount.moc"
