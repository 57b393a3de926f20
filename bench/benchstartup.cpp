// SPDX-License-Identifier: GPL-3.0-or-later
// The real freqdeck binary on a machine of 64 and of 256 cores: how long until its window is first drawn,
// against a minimal Qt Widgets program started the same way in the same run, and how much memory
// the running program holds.
//
// The benchmark moves into a private mount namespace and bind-mounts a fixture over
// /sys/devices/system/cpu and /proc/cpuinfo, so the unchanged binary reads 64 fixture cores. Both
// programs run on the offscreen platform with the first-frame reporter preloaded (see
// startup/firstframe.cpp): it writes the time at which the first frame of a window has been handed
// to the platform into a pipe. Start-up is that time minus the time just before the process was
// spawned. Neither program gets an option or a variable of its own.

#include "benchcores.h"
#include "mountnamespace.h"
#include "pairedtiming.h"
#include "sysfsfixture.h"

#include <QCoreApplication>
#include <QFile>

#include <benchmark/benchmark.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace
{

constexpr double targetRatio = 2.0;
constexpr double targetRatioHuge = 2.5;
constexpr int manyCores = 64;
constexpr int hugeCores = 256;
constexpr int frameTimeoutMs = 60000;

long long monotonicNs()
{
    struct timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// The environment of both programs: this one's, with the offscreen platform and the reporter.
std::vector<std::string> childEnvironment()
{
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0 && std::strncmp(*e, "LD_PRELOAD=", 11) != 0)
            env.emplace_back(*e);
    }
    env.emplace_back("QT_QPA_PLATFORM=offscreen");
    env.emplace_back(std::string("LD_PRELOAD=") + FREQDECK_FIRST_FRAME_REPORTER);
    return env;
}

// One started program, until its first frame or until it is stopped.
class Launch
{
public:
    Launch(const char *program, const std::string &log)
    {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
            error = std::string("pipe: ") + std::strerror(errno);
            return;
        }
        readEnd = pipeFds[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The reporter writes to descriptor 3; dup2 leaves the copy open across exec.
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);

        static const std::vector<std::string> env = childEnvironment();
        std::vector<char *> envp;
        envp.reserve(env.size() + 1);
        for (const std::string &e : env)
            envp.push_back(const_cast<char *>(e.c_str()));
        envp.push_back(nullptr);
        char *argv[] = {const_cast<char *>(program), nullptr};

        spawnedNs = monotonicNs();
        const int rc = ::posix_spawn(&pid, program, &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        if (rc != 0) {
            pid = -1;
            error = std::string("cannot start ") + program + ": " + std::strerror(rc);
        }
    }
    Launch(const Launch &) = delete;
    Launch &operator=(const Launch &) = delete;

    ~Launch()
    {
        stop(SIGKILL);
        if (readEnd >= 0)
            ::close(readEnd);
    }

    // Waits for the reporter's line; the start-up time in nanoseconds, or a negative number.
    double waitForFirstFrame()
    {
        if (pid < 0)
            return -1;
        std::string line;
        const long long deadline = monotonicNs() + frameTimeoutMs * 1000000LL;
        while (line.find('\n') == std::string::npos) {
            struct pollfd p = {readEnd, POLLIN, 0};
            const long long left = (deadline - monotonicNs()) / 1000000;
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
                error = "no window within the time limit";
                return -1;
            }
            char buf[128];
            const ssize_t n = ::read(readEnd, buf, sizeof buf);
            if (n <= 0) {
                error = "the program ended before its window was drawn";
                return -1;
            }
            line.append(buf, static_cast<size_t>(n));
        }
        long long frameNs = 0;
        if (std::sscanf(line.c_str(), "%lld %d %d", &frameNs, &width, &height) != 3) {
            error = "unreadable report: " + line;
            return -1;
        }
        return static_cast<double>(frameNs - spawnedNs);
    }

    // SIGTERM lets freqdeck quit through its event loop; SIGKILL spares the wait.
    int stop(int signal)
    {
        if (pid < 0)
            return -1;
        ::kill(pid, signal);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        pid = -1;
        return status;
    }

    pid_t processId() const { return pid; }

    std::string error;
    int width = 0;
    int height = 0;

private:
    pid_t pid = -1;
    int readEnd = -1;
    long long spawnedNs = 0;
};

// The freqdeck binary to start: the one built here, or another given with --freqdeck=PATH to
// compare builds.
std::string freqdeckBinary = FREQDECK_BINARY;

// A fixture machine; use() mounts it over the real paths for this process and its children.
class Machine
{
public:
    explicit Machine(int cores)
    {
        for (int n = 0; n < cores; ++n)
            addTmpfsCore(fx, n);
        const QByteArray range = cores > 1 ? "0-" + QByteArray::number(cores - 1) + '\n' : QByteArray("0\n");
        for (const char *name : {"online", "possible", "present"})
            fx.addTopFile(QLatin1String(name), range);
        fx.writeCpuInfoForModel(QStringLiteral("Bench CPU @ 2.40GHz"), cores);
    }

    // Empty when the machine is in place, else why not.
    QString use()
    {
        static Machine *mounted = nullptr;
        if (mounted == this)
            return QString();
        if (!MountNamespace::available())
            return QStringLiteral("needs a private mount namespace: ") + MountNamespace::reason();
        if (mounted) {
            MountNamespace::unmount(QStringLiteral("/proc/cpuinfo"));
            MountNamespace::unmount(QStringLiteral("/sys/devices/system/cpu"));
            mounted = nullptr;
        }
        if (!MountNamespace::bind(fx.cpuDir(), QStringLiteral("/sys/devices/system/cpu"))
            || !MountNamespace::bind(fx.cpuInfoPath(), QStringLiteral("/proc/cpuinfo")))
            return MountNamespace::reason();
        mounted = this;
        return QString();
    }

    std::string logPath() const { return QFile::encodeName(fx.root() + QStringLiteral("/program.log")).toStdString(); }

    // The program's own words, for a failed start.
    std::string lastLog() const
    {
        QFile file(QFile::decodeName(logPath().c_str()));
        if (!file.open(QIODevice::ReadOnly))
            return std::string();
        return file.readAll().right(600).toStdString();
    }

private:
    SysfsFixture fx;
};

Machine &machine(int cores)
{
    static std::map<int, std::unique_ptr<Machine>> machines;
    std::unique_ptr<Machine> &m = machines[cores];
    if (!m)
        m = std::make_unique<Machine>(cores);
    return *m;
}

// Start-up time of one program in nanoseconds; negative after an error, which goes to state.
double startOnce(benchmark::State &state, const Machine &m, const char *program, int *width = nullptr,
                 int *height = nullptr)
{
    Launch launch(program, m.logPath());
    const double ns = launch.waitForFirstFrame();
    if (ns < 0) {
        launch.stop(SIGKILL);
        const std::string why = std::string(program) + ": " + launch.error + "\n" + m.lastLog();
        state.SkipWithError(why.c_str());
        return -1;
    }
    if (width)
        *width = launch.width;
    if (height)
        *height = launch.height;
    return ns;
}

void startUp(benchmark::State &state, int cores)
{
    Machine &m = machine(cores);
    const QString error = m.use();
    if (!error.isEmpty()) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    const char *ours = freqdeckBinary.c_str();
    // Once each untimed, so that neither meets a cold page cache.
    int width = 0;
    int height = 0;
    if (startOnce(state, m, ours, &width, &height) < 0 || startOnce(state, m, FREQDECK_MINIMAL_QT) < 0)
        return;

    PairedTiming timing;
    bool oursFirst = true;
    for (auto _ : state) {
        double oursNs;
        double minimalNs;
        if (oursFirst) {
            oursNs = startOnce(state, m, ours);
            minimalNs = oursNs < 0 ? -1 : startOnce(state, m, FREQDECK_MINIMAL_QT);
        } else {
            minimalNs = startOnce(state, m, FREQDECK_MINIMAL_QT);
            oursNs = minimalNs < 0 ? -1 : startOnce(state, m, ours);
        }
        if (oursNs < 0 || minimalNs < 0)
            return;
        oursFirst = !oursFirst;
        timing.add(oursNs, minimalNs);
    }
    timing.report(state);
    // The size of freqdeck's first frame, for the record: the navigation has a segment per core.
    state.counters["width"] = width;
    state.counters["height"] = height;
}

// VmRSS and VmHWM of a process in KiB, and the read system calls it has made so far.
struct Resident {
    long rss = 0;
    long hwm = 0;
    long reads = 0;
};

Resident residentOf(pid_t pid)
{
    Resident r;
    const std::string proc = "/proc/" + std::to_string(pid);
    char line[256];
    if (FILE *status = std::fopen((proc + "/status").c_str(), "r")) {
        while (std::fgets(line, sizeof line, status)) {
            std::sscanf(line, "VmRSS: %ld kB", &r.rss);
            std::sscanf(line, "VmHWM: %ld kB", &r.hwm);
        }
        std::fclose(status);
    }
    if (FILE *io = std::fopen((proc + "/io").c_str(), "r")) {
        while (std::fgets(line, sizeof line, io))
            std::sscanf(line, "syscr: %ld", &r.reads);
        std::fclose(io);
    }
    return r;
}

// Resident memory of a running program: at its first frame and then once a second, while its
// own timer refreshes the shown page (for freqdeck the overview, which reads every core). The
// read calls per second show that the refreshes do happen.
void residentMemory(const char *name, const char *program, int cores, int seconds)
{
    Machine &m = machine(cores);
    const QString error = m.use();
    if (!error.isEmpty()) {
        std::printf("memory: %s: skipped: %s\n", name, qPrintable(error));
        return;
    }
    Launch launch(program, m.logPath());
    if (launch.waitForFirstFrame() < 0) {
        std::printf("memory: %s: %s\n", name, launch.error.c_str());
        return;
    }
    constexpr int settleSeconds = 2;
    const Resident first = residentOf(launch.processId());
    Resident settled = first;
    Resident last = first;
    for (int s = 1; s <= settleSeconds + seconds; ++s) {
        ::usleep(1000000);
        last = residentOf(launch.processId());
        if (s == settleSeconds)
            settled = last;
    }
    std::printf("memory: %s: VmRSS %ld KiB at the first frame, %ld KiB after %d s, %ld KiB %d s later (%+ld KiB); "
                "VmHWM %ld KiB; %ld read calls a second\n",
                name, first.rss, settled.rss, settleSeconds, last.rss, seconds, last.rss - settled.rss, last.hwm,
                (last.reads - settled.reads) / seconds);
    launch.stop(SIGTERM);
}

} // namespace

int main(int argc, char **argv)
{
    int memorySeconds = 10;
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--memory-seconds=", 17) == 0)
            memorySeconds = std::atoi(argv[i] + 17);
        else if (std::strcmp(argv[i], "--memory-rounds=0") == 0) // as the other programs: no memory part
            memorySeconds = 0;
        else if (std::strncmp(argv[i], "--memory-rounds=", 16) == 0)
            continue;
        else if (std::strncmp(argv[i], "--freqdeck=", 11) == 0)
            freqdeckBinary = argv[i] + 11;
        else
            args.push_back(argv[i]);
    }
    int benchArgc = static_cast<int>(args.size());

    // Mounts are only private to a namespace entered while the process has a single thread.
    MountNamespace::enter();
    preferTmpfsForFixtures();
    QCoreApplication app(benchArgc, args.data());
    benchmark::Initialize(&benchArgc, args.data());
    if (benchmark::ReportUnrecognizedArguments(benchArgc, args.data()))
        return 2;
    std::printf("programs: %s and %s, preloaded with %s\n", freqdeckBinary.c_str(), FREQDECK_MINIMAL_QT,
                FREQDECK_FIRST_FRAME_REPORTER);

    // One core shows what the program costs before the cores multiply it; the targets are for 64
    // and 256.
    benchmark::RegisterBenchmark("StartUp/256cores", startUp, hugeCores)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10)
        ->UseRealTime();
    benchmark::RegisterBenchmark("StartUp/64cores", startUp, manyCores)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10)
        ->UseRealTime();
    benchmark::RegisterBenchmark("StartUp/1core", startUp, 1)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10)
        ->UseRealTime();
    RatioSummary::setTarget("StartUp/64cores", targetRatio);
    RatioSummary::setTarget("StartUp/256cores", targetRatioHuge);

    RatioSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    if (memorySeconds > 0) {
        std::cout << '\n';
        residentMemory("freqdeck, 64 cores", freqdeckBinary.c_str(), manyCores, memorySeconds);
        residentMemory("freqdeck, 1 core", freqdeckBinary.c_str(), 1, memorySeconds);
        residentMemory("minimal Qt program", FREQDECK_MINIMAL_QT, manyCores, memorySeconds);
    }
    reporter.printSummary(std::cout);
    return 0;
}
