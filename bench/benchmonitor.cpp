// SPDX-License-Identifier: GPL-3.0-or-later
// What the monitor page costs, on the simulated machine with 64 CPUs, paired in one run: the
// process's CPU time (all threads) while the window shows the monitor at 1 Hz, while it shows the
// overview (the page that reads the same cores without a history), and while only a bare loop
// makes, once a second, the floor's system calls over the same 64 CPU directories plus the files
// the monitor adds (/proc/stat, the package temperature and energy counter). The three alternate
// in slices, so that drifts of the machine fall on all of them alike.
//
//   bench_monitor [--quick] [--seconds=N]
// 60 s of each in 10 s slices; --quick: 6 s in 2 s slices. Google Benchmark's options are ignored.

#include "benchcores.h"
#include "mountedsim.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "cpuinfo.h"
#include "mainwindow.h"
#include "monitorview.h"
#include "startup.h"

namespace
{

double processCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double cpuMsWhileRunning(int milliseconds)
{
    const double before = processCpuMs();
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return processCpuMs() - before;
}

// One whole read of a file, as plainly as it can be done.
void readWhole(const QByteArray &path)
{
    FILE *f = std::fopen(path.constData(), "re");
    if (!f)
        return;
    char buf[65536];
    while (std::fread(buf, 1, sizeof buf, f) == sizeof buf) {
    }
    std::fclose(f);
}

void run(int seconds, int slice)
{
    MountedSim sim(QStringLiteral(FREQDECK_CPUFREQ_SIM), {QStringLiteral("--cpus"), QStringLiteral("64")});
    QString why;
    if (!sim.start(&why)) {
        std::printf("monitor: skipped: %s\n", qPrintable(why));
        return;
    }
    const QString cpuDir = sim.sys() + QStringLiteral("/devices/system/cpu");
    CPUInfo info(cpuDir, sim.cpuInfo());
    std::vector<SyscallFloor> floors;
    floors.reserve(64);
    for (int k = 0; k < 64; ++k)
        floors.emplace_back(cpuDir + QStringLiteral("/cpu%1").arg(k));
    const QByteArray packageFiles[] = {
        QFile::encodeName(sim.mnt() + QStringLiteral("/stat")),
        QFile::encodeName(sim.sys() + QStringLiteral("/class/hwmon/hwmon0/temp1_input")),
        QFile::encodeName(sim.sys() + QStringLiteral("/class/powercap/intel-rapl:0/energy_uj")),
    };
    QTimer floorTick;
    floorTick.setInterval(1000);
    int floorFiles = 0;
    QObject::connect(&floorTick, &QTimer::timeout, [&] {
        floorFiles = 0;
        for (const SyscallFloor &floor : floors)
            floorFiles += floor.run();
        for (const QByteArray &file : packageFiles)
            readWhole(file);
        floorFiles += 3;
    });

    MainWindow window(info);
    window.resize(1200, 650);
    window.show();
    window.showPage(window.monitorPage()); // built once; from here on it records on every refresh
    window.hide();
    double monitor = 0;
    double overview = 0;
    double floor = 0;
    for (int done = 0, turn = 0; done < seconds; done += slice, ++turn) {
        for (int part = 0; part < 3; ++part) {
            switch ((part + turn) % 3) {
            case 0:
                window.showPage(window.monitorPage());
                window.show();
                monitor += cpuMsWhileRunning(slice * 1000);
                window.hide();
                break;
            case 1:
                window.showPage(0);
                window.show();
                overview += cpuMsWhileRunning(slice * 1000);
                window.hide();
                break;
            default:
                floorTick.start();
                floor += cpuMsWhileRunning(slice * 1000);
                floorTick.stop();
            }
        }
    }
    const MonitorHistory &history = window.findChild<MonitorView *>()->history();
    int recorded = 0;
    for (qint64 s = history.latest() - MonitorHistory::seconds + 1; s <= history.latest(); ++s)
        recorded += history.mhz(0, s) >= 0 ? 1 : 0;
    std::printf("monitor: %d s of each: monitor %.0f ms, overview %.0f ms, bare loop %.0f ms (%d files a second); "
                "%d seconds of cpu0 in the history\n",
                seconds, monitor, overview, floor, floorFiles, recorded);
    std::printf("summary: CpuTime/64cpus/monitor: ours %.1f ms/s, baseline %.1f ms/s, ratio %.3f, reported\n",
                monitor / seconds, floor / seconds, floor > 0 ? monitor / floor : 0.0);
    std::printf("summary: CpuTime/64cpus/monitor-vs-overview: ours %.1f ms/s, baseline %.1f ms/s, ratio %.3f, "
                "reported\n",
                monitor / seconds, overview / seconds, overview > 0 ? monitor / overview : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    int seconds = 60;
    int slice = 10;
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            seconds = 6;
            slice = 2;
        } else if (std::strncmp(argv[i], "--seconds=", 10) == 0) {
            seconds = std::atoi(argv[i] + 10);
        } else if (i == 0 || std::strncmp(argv[i], "--benchmark_", 12) != 0) {
            args.push_back(argv[i]);
        }
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = static_cast<int>(args.size());
    QApplication app(qtArgc, args.data());
    StartUp::installStyleSheet(app);
    StartUp::installPalette();
    StartUp::installFont();
    run(seconds, slice);
    return 0;
}
