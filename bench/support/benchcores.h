// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

class SysfsFixture;

// What a refresh must do at the least for one core: read the online file, list cpufreq/, and
// stat, open, read once and close every regular file in it. Nothing is decoded or kept. The *at
// forms are the cheapest way to do it, so the floor is not made easier to beat.
class SyscallFloor
{
public:
    explicit SyscallFloor(const QString &coreDir);

    // Returns how many attribute files it read.
    int run() const;

private:
    std::string online;
    std::string cpufreq;
};

// A core as a current acpi-cpufreq or pstate driver shows it: twenty attribute files of the usual
// sizes and modes, and the stats directory that the listing has to skip.
void addTmpfsCore(SysfsFixture &fx, int core);

// The core's cpufreq entry is a symbolic link to a real sysfs directory (as cpufreq itself is a
// link to policyN), the online file a link to a real one where the machine has one. False when
// the machine has no directory to link to.
bool addKernfsCore(SysfsFixture &fx, int core);

// The real sysfs directories and online files that kernfs cores link to.
struct RealSysfs {
    std::vector<QString> dirs;
    std::vector<QString> onlineFiles;
};
const RealSysfs &realSysfs();

// Fixtures go to tmpfs unless TMPDIR says otherwise: the floor of a disk file system would
// include its own locking, which sysfs does not have. Call before the first fixture.
void preferTmpfsForFixtures();
QString fileSystemOf(const QString &path);
// One line naming where fixtures are and what the kernfs cores link to.
void printFixturePlaces();

// Resident set and bytes handed out by malloc; the second has no page granularity.
struct MemoryUse {
    long rssKiB = 0;
    long heapBytes = 0;
};
MemoryUse memoryUse();

// The arguments of a benchmark program: --memory-rounds=N is its own (default 10000), the
// start-up benchmark's --memory-seconds=N is dropped, everything else goes to Google Benchmark.
struct BenchArguments {
    int memoryRounds = 10000;
    std::vector<char *> args;
    int argc = 0;
};
BenchArguments splitBenchArguments(int argc, char **argv);

// Runs tick() 100 times to settle caches and the allocator's free lists, then `rounds` times,
// sampling memory every 1000. Prints the "memory: WHAT:" lines and returns false when memory grew
// beyond what the allocator's own rounding explains.
bool checkMemoryGrowth(const char *what, int rounds, const std::function<void()> &tick);
