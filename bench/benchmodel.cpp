// SPDX-License-Identifier: GPL-3.0-or-later
// The model's once-a-second work against the system calls it cannot avoid: CPUCore::update() of one
// core and of 64 cores, on tmpfs files and on real kernfs files, each paired with a plain POSIX loop
// over the same files. Then a check that 10,000 rounds of updates leave memory where it was.

#include "benchcores.h"
#include "cpucore.h"
#include "cpuinfo.h"
#include "pairedtiming.h"
#include "sysfsfixture.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <vector>

namespace
{

constexpr double targetRatio = 1.25;
constexpr int overviewCores = 64;

enum class Files { Tmpfs, Kernfs };

// A fixture with its model and the matching floors, built once per benchmark and kept.
struct Scene {
    SysfsFixture fx;
    std::unique_ptr<CPUInfo> info;
    std::vector<SyscallFloor> floors;
    QString error;
    int attributeFiles = 0;
};

Scene &scene(Files files, int cores)
{
    static std::map<std::pair<int, int>, std::unique_ptr<Scene>> scenes;
    std::unique_ptr<Scene> &slot = scenes[{static_cast<int>(files), cores}];
    if (slot)
        return *slot;
    slot = std::make_unique<Scene>();
    Scene &s = *slot;
    for (int n = 0; n < cores; ++n) {
        if (files == Files::Tmpfs)
            addTmpfsCore(s.fx, n);
        else if (!addKernfsCore(s.fx, n))
            s.error = QStringLiteral("no usable sysfs directory to link to");
    }
    s.info = std::make_unique<CPUInfo>(s.fx.cpuDir(), s.fx.cpuInfoPath());
    if (static_cast<int>(s.info->cores.size()) != cores)
        s.error = QStringLiteral("the fixture has %1 cores, not %2").arg(s.info->cores.size()).arg(cores);
    for (int n = 0; n < cores; ++n) {
        s.floors.emplace_back(s.fx.coreDir(n));
        // Both sides must read the same files, or the ratio means nothing.
        const int read = s.floors.back().run();
        if (s.error.isEmpty() && read != s.info->cores[static_cast<size_t>(n)].policies.size())
            s.error = QStringLiteral("core %1: update() keeps %2 records, the floor read %3 files")
                          .arg(n)
                          .arg(s.info->cores[static_cast<size_t>(n)].policies.size())
                          .arg(read);
        s.attributeFiles += read;
    }
    return s;
}

void updateCores(benchmark::State &state, Files files, int cores)
{
    Scene &s = scene(files, cores);
    if (!s.error.isEmpty()) {
        state.SkipWithError(qPrintable(s.error));
        return;
    }
    PairedTiming timing;
    for (auto _ : state) {
        timing.measure(
            [&s] {
                for (CPUCore &core : s.info->cores)
                    core.update();
            },
            [&s] {
                for (const SyscallFloor &floor : s.floors)
                    floor.run();
            });
    }
    timing.report(state);
    state.counters["files"] = s.attributeFiles;
}

// Returns false when memory grew beyond what the allocator's own rounding explains.
bool memoryCheck(int rounds)
{
    Scene &s = scene(Files::Tmpfs, overviewCores);
    if (!s.error.isEmpty()) {
        std::cout << "memory: skipped: " << qPrintable(s.error) << '\n';
        return false;
    }
    std::printf("memory: update(): %d rounds over %d cores (%d files each round)\n", rounds, overviewCores,
                s.attributeFiles);
    return checkMemoryGrowth("update()", rounds, [&s] {
        for (CPUCore &core : s.info->cores)
            core.update();
    });
}

} // namespace

int main(int argc, char **argv)
{
    BenchArguments arguments = splitBenchArguments(argc, argv);
    const int memoryRounds = arguments.memoryRounds;
    std::vector<char *> &args = arguments.args;
    int &benchArgc = arguments.argc;

    preferTmpfsForFixtures();

    // As in the program: QCoreApplication sets the locale that file names are decoded with.
    QCoreApplication app(benchArgc, args.data());
    benchmark::Initialize(&benchArgc, args.data());
    if (benchmark::ReportUnrecognizedArguments(benchArgc, args.data()))
        return 2;

    printFixturePlaces();

    benchmark::RegisterBenchmark("CoreUpdate/tmpfs", updateCores, Files::Tmpfs, 1)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("CoreUpdate/kernfs", updateCores, Files::Kernfs, 1)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("OverviewUpdate/tmpfs", updateCores, Files::Tmpfs, overviewCores)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("OverviewUpdate/kernfs", updateCores, Files::Kernfs, overviewCores)
        ->Unit(benchmark::kMicrosecond);
    RatioSummary::setTarget("CoreUpdate", targetRatio);
    RatioSummary::setTarget("OverviewUpdate", targetRatio);

    RatioSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    if (memoryRounds > 0) {
        std::cout << '\n';
        memoryCheck(memoryRounds);
    }
    reporter.printSummary(std::cout);
    return 0;
}
