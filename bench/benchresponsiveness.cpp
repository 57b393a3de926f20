// SPDX-License-Identifier: GPL-3.0-or-later
// What the window costs while it runs, against what the same work costs done the cheapest way, on
// the simulated machine (freqdeck-cpufreq-sim, mounted through FUSE), paired in one run:
//
// - stall: the event loop's longest delay (a 10 ms timer's lateness) while the overview of 64 CPUs
//   refreshes, each current-frequency read sleeping 20 ms as on kernels 4.13 to 5.18; against the
//   refresh done on the GUI thread, as the program did before its sampler.
// - cpu: the process's CPU time while the window shows the overview of 64 CPUs at 1 Hz, against a
//   bare loop making the same reads once a second (the floor).
// - minimised: CPU time and read calls while the window is minimised (goal: no reads at all).
// - memory: resident memory with 256 CPUs, at the first frame and after opening every core page.
//
//   bench_responsiveness [--quick] [--stall-seconds=N] [--cpu-seconds=N]
// Halves alternate in slices of 10 s (2 s with --quick); --quick also shortens both parts to 6 s.
// Google Benchmark's options, which bench/run.sh passes to every program, are ignored.

#include "benchcores.h"
#include "mountedsim.h"
#include "sysfsfixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include "cpuinfo.h"
#include "mainpage.h"
#include "mainwindow.h"
#include "sampler.h"
#include "startup.h"

namespace
{

constexpr double stallTargetMs = 50;

double processCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

long procValue(const char *file, const char *key)
{
    QFile f(QString::fromLatin1(file));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(static_cast<int>(std::strlen(key))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Runs the event loop for the given time while a 10 ms timer measures how late it fires; returns
// the longest lateness in ms.
double longestStallMs(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    qint64 expected = 10;
    double worst = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        worst = std::max(worst, static_cast<double>(now - expected));
        expected = now + 10;
    });
    tick.start(10);
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return worst;
}

// CPU time of this process while the event loop runs for the given time.
double cpuMsWhileRunning(int milliseconds)
{
    const double before = processCpuMs();
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return processCpuMs() - before;
}

void summary(const char *name, double ours, double baseline, const char *unit, const char *target, bool met)
{
    std::printf("summary: %s: ours %.1f %s, baseline %.1f %s, ratio %.3f, target %s, %s\n", name, ours, unit, baseline,
                unit, baseline > 0 ? ours / baseline : 0.0, target, *target ? (met ? "met" : "MISSED") : "reported");
}

QString startSim(MountedSim &sim)
{
    QString why;
    return sim.start(&why) ? QString() : why;
}

void stall(int seconds, int slice)
{
    MountedSim sim(QStringLiteral(FREQDECK_CPUFREQ_SIM), {QStringLiteral("--cpus"), QStringLiteral("64"),
                                                          QStringLiteral("--read-delay-ms"), QStringLiteral("20")});
    const QString error = startSim(sim);
    if (!error.isEmpty()) {
        std::printf("stall: skipped: %s\n", qPrintable(error));
        return;
    }
    QElapsedTimer inventory;
    inventory.start();
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    std::printf("stall: 64 CPUs, 20 ms per current-frequency read; the inventory took %lld ms to read\n",
                static_cast<long long>(inventory.elapsed()));

    MainWindow window(info);
    // The program before its sampler: the overview re-read every core on the GUI thread each second.
    MainPage before(info);
    QTimer beforeRefresh;
    beforeRefresh.setInterval(1000);
    QObject::connect(&beforeRefresh, &QTimer::timeout, [&] {
        for (CPUCore &core : info.cores)
            core.update();
        before.updateInfo();
    });

    double oursWorst = 0;
    double beforeWorst = 0;
    for (int done = 0; done < seconds; done += slice) {
        window.show();
        oursWorst = std::max(oursWorst, longestStallMs(slice * 1000));
        window.hide();
        before.show();
        beforeRefresh.start();
        beforeWorst = std::max(beforeWorst, longestStallMs(slice * 1000));
        beforeRefresh.stop();
        before.hide();
        std::printf("stall: after %d s of each: longest stall %.0f ms (window), %.0f ms (refresh on the GUI thread)\n",
                    done + slice, oursWorst, beforeWorst);
    }
    // Whatever the window still reads finishes before the simulator goes.
    QEventLoop settle;
    QTimer::singleShot(3000, &settle, &QEventLoop::quit);
    settle.exec();
    char target[32];
    std::snprintf(target, sizeof target, "< %.0f ms", stallTargetMs);
    summary("Stall/64cpus/20ms", oursWorst, beforeWorst, "ms", target, oursWorst < stallTargetMs);
}

void cpuTime(int seconds, int slice, int minimisedSeconds)
{
    MountedSim sim(QStringLiteral(FREQDECK_CPUFREQ_SIM), {QStringLiteral("--cpus"), QStringLiteral("64")});
    const QString error = startSim(sim);
    if (!error.isEmpty()) {
        std::printf("cpu: skipped: %s\n", qPrintable(error));
        return;
    }
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    std::vector<SyscallFloor> floors;
    floors.reserve(64);
    for (int k = 0; k < 64; ++k)
        floors.emplace_back(sim.cpu() + QStringLiteral("/cpu%1").arg(k));
    QTimer floorTick;
    floorTick.setInterval(1000);
    int floorFiles = 0;
    QObject::connect(&floorTick, &QTimer::timeout, [&] {
        floorFiles = 0;
        for (const SyscallFloor &floor : floors)
            floorFiles += floor.run();
    });

    MainWindow window(info);
    window.resize(1200, 650);
    double ours = 0;
    double floor = 0;
    bool oursFirst = true;
    for (int done = 0; done < seconds; done += slice) {
        for (int half = 0; half < 2; ++half) {
            if ((half == 0) == oursFirst) {
                window.show();
                ours += cpuMsWhileRunning(slice * 1000);
                window.hide();
            } else {
                floorTick.start();
                floor += cpuMsWhileRunning(slice * 1000);
                floorTick.stop();
            }
        }
        oursFirst = !oursFirst;
    }
    std::printf("cpu: %d s of each: window %.0f ms, bare loop %.0f ms (%d files a second)\n", seconds, ours, floor,
                floorFiles);
    summary("CpuTime/64cpus/overview", ours / seconds, floor / seconds, "ms/s", "", false);

    window.show();
    QEventLoop settle;
    QTimer::singleShot(1500, &settle, &QEventLoop::quit);
    settle.exec();
    window.showMinimized();
    QTimer::singleShot(1500, &settle, &QEventLoop::quit); // a read begun before is let finish
    settle.exec();
    // What the sampler delivers while minimised, and the read calls of the whole process against
    // those of the same process with no window shown at all (the event loop's own).
    int deliveries = 0;
    QObject::connect(window.findChild<Sampler *>(), &Sampler::updated, [&deliveries] { ++deliveries; });
    long readsBefore = procValue("/proc/self/io", "syscr:");
    const double minimisedCpu = cpuMsWhileRunning(minimisedSeconds * 1000);
    const long reads = procValue("/proc/self/io", "syscr:") - readsBefore;
    window.hide();
    QTimer::singleShot(1500, &settle, &QEventLoop::quit);
    settle.exec();
    readsBefore = procValue("/proc/self/io", "syscr:");
    const double idleCpu = cpuMsWhileRunning(minimisedSeconds * 1000);
    const long idleReads = procValue("/proc/self/io", "syscr:") - readsBefore;
    std::printf("minimised: %d s: %.1f ms CPU, %ld read calls, %d samples delivered; no window: %.1f ms CPU, %ld read "
                "calls\n",
                minimisedSeconds, minimisedCpu, reads, deliveries, idleCpu, idleReads);
    std::printf("summary: CpuTime/64cpus/minimised: %.2f ms/s, %ld read calls in %d s (no window: %ld), %d samples, "
                "goal no reads, %s\n",
                minimisedCpu / minimisedSeconds, reads, minimisedSeconds, idleReads, deliveries,
                deliveries == 0 && reads <= idleReads ? "met" : "MISSED");
}

void memory()
{
    SysfsFixture fx;
    const int cpus = 256;
    for (int k = 0; k < cpus; ++k)
        addTmpfsCore(fx, k);
    fx.writeCpuInfoForModel(QStringLiteral("Bench CPU @ 2.40GHz"), cpus);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainWindow window(info);
    window.resize(1200, 650);
    window.show();
    QApplication::processEvents();
    const long first = procValue("/proc/self/status", "VmRSS:");
    for (int page = 1; page <= static_cast<int>(info.cores.size()); ++page) {
        window.showPage(page);
        QApplication::processEvents();
    }
    window.showPage(0);
    QApplication::processEvents();
    const long after = procValue("/proc/self/status", "VmRSS:");
    std::printf("memory: %zu CPUs listed: VmRSS %ld KiB with the window shown, %ld KiB after opening every core "
                "page (%+ld KiB, %.0f KiB a page)\n",
                info.cores.size(), first, after, after - first,
                info.cores.empty() ? 0.0 : double(after - first) / double(info.cores.size()));
}

} // namespace

int main(int argc, char **argv)
{
    bool quick = false;
    int stallSeconds = 30;
    int cpuSeconds = 60;
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (std::strncmp(argv[i], "--stall-seconds=", 16) == 0)
            stallSeconds = std::atoi(argv[i] + 16);
        else if (std::strncmp(argv[i], "--cpu-seconds=", 14) == 0)
            cpuSeconds = std::atoi(argv[i] + 14);
        else if (i == 0 || std::strncmp(argv[i], "--benchmark_", 12) != 0)
            args.push_back(argv[i]);
    }
    if (quick)
        stallSeconds = cpuSeconds = 6;
    const int slice = quick ? 2 : 10;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    preferTmpfsForFixtures();
    int qtArgc = static_cast<int>(args.size());
    QApplication app(qtArgc, args.data());
    StartUp::installStyleSheet(app);
    StartUp::installPalette();
    StartUp::installFont();

    stall(stallSeconds, slice);
    cpuTime(cpuSeconds, slice, quick ? 3 : 10);
    memory();
    return 0;
}
