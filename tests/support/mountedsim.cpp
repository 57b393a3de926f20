// SPDX-License-Identifier: GPL-3.0-or-later
#include "mountedsim.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
QByteArray mountInfo()
{
    QFile mountinfo(QStringLiteral("/proc/self/mountinfo"));
    // Read whole: /proc files report size 0, so line-by-line reading until atEnd() sees nothing.
    return mountinfo.open(QIODevice::ReadOnly) ? mountinfo.readAll() : QByteArray();
}

// The mount points as mountinfo writes them (a space would be \040: the tests' paths have none).
QStringList mountPoints()
{
    QStringList points;
    for (const QByteArray &line : mountInfo().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4)
            points << QFile::decodeName(fields[4]);
    }
    return points;
}
} // namespace

bool isMountPoint(const QString &path)
{
    return mountPoints().contains(path);
}

QStringList mountsUnder(const QString &directory)
{
    const QString prefix = directory.endsWith(QLatin1Char('/')) ? directory : directory + QLatin1Char('/');
    QStringList found;
    for (const QString &point : mountPoints()) {
        if (point == directory || point.startsWith(prefix))
            found << point;
    }
    return found;
}

MountedSim::MountedSim(QString simulator, QStringList args)
    : simulator(std::move(simulator))
    , args(std::move(args))
{
}

MountedSim::~MountedSim()
{
    if (child > 0)
        stop();
    if (isMountPoint(mnt()))
        ::umount2(QFile::encodeName(mnt()).constData(), MNT_DETACH);
}

QString MountedSim::unavailableReason(const QString &simulator)
{
    if (simulator.isEmpty() || !QFileInfo(simulator).isExecutable())
        return QStringLiteral("freqdeck-cpufreq-sim was not built: libfuse3 (pkg-config fuse3) is missing");
    const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("/dev/fuse is not usable here: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    if (::geteuid() != 0 && QStandardPaths::findExecutable(QStringLiteral("fusermount3")).isEmpty())
        return QStringLiteral("not root and no fusermount3: FUSE cannot be mounted");
    return QString();
}

QString MountedSim::root() const
{
    return dir.path();
}

QString MountedSim::mnt() const
{
    return dir.path() + QStringLiteral("/mnt");
}

QString MountedSim::cpu() const
{
    return mnt() + QStringLiteral("/cpu");
}

QString MountedSim::sys() const
{
    return mnt() + QStringLiteral("/sys");
}

QString MountedSim::cpuInfo() const
{
    return mnt() + QStringLiteral("/cpuinfo");
}

QString MountedSim::policy(int cpu, const QString &name) const
{
    return this->cpu() + QStringLiteral("/cpufreq/policy%1/%2").arg(cpu).arg(name);
}

pid_t MountedSim::pid() const
{
    return child;
}

QString MountedSim::log() const
{
    QFile file(dir.path() + QStringLiteral("/sim.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

bool MountedSim::start(QString *why)
{
    if (!dir.isValid() || !QDir(dir.path()).mkdir(QStringLiteral("mnt"))) {
        *why = QStringLiteral("no temporary mount point");
        return false;
    }
    QList<QByteArray> argBytes{QFile::encodeName(simulator), "--foreground"};
    for (const QString &a : qAsConst(args))
        argBytes << a.toLocal8Bit();
    argBytes << QFile::encodeName(mnt());
    std::vector<char *> argv;
    for (QByteArray &a : argBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray logPath = QFile::encodeName(dir.path() + QStringLiteral("/sim.log"));
    const pid_t parent = ::getpid();

    child = ::fork();
    if (child < 0) {
        *why = QStringLiteral("fork: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(126);
        const int log = ::open(logPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (log >= 0) {
            ::dup2(log, STDOUT_FILENO);
            ::dup2(log, STDERR_FILENO);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }

    // Bounded only so that a broken simulator fails the test instead of hanging it.
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (QFileInfo::exists(cpuInfo()))
            return true;
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) {
            child = -1;
            *why = QStringLiteral("the simulator stopped before it was ready (status %1): %2").arg(status).arg(log());
            return false;
        }
        QThread::msleep(20);
    }
    *why = QStringLiteral("the simulator did not become ready: %1").arg(log());
    return false;
}

int MountedSim::stop()
{
    if (child <= 0)
        return -1;
    ::kill(child, SIGTERM);
    QDeadlineTimer deadline(30000);
    int status = 0;
    while (!deadline.hasExpired()) {
        if (::waitpid(child, &status, WNOHANG) == child) {
            child = -1;
            return status;
        }
        QThread::msleep(20);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    child = -1;
    return -1;
}
