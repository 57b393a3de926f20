// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Absolute times on a shared machine say little, so every benchmark here times our code and the
// cheapest code that makes the same system calls within the same run, alternating the two, and
// reports how many times slower ours is.
class PairedTiming
{
public:
    // Runs both once; which goes first alternates so that neither always meets warm caches.
    template<typename Ours, typename Floor>
    void measure(Ours &&ours, Floor &&floor)
    {
        double oursNs;
        double floorNs;
        if (oursFirst) {
            oursNs = timeNs(ours);
            floorNs = timeNs(floor);
        } else {
            floorNs = timeNs(floor);
            oursNs = timeNs(ours);
        }
        oursFirst = !oursFirst;
        add(oursNs, floorNs);
    }

    // For times taken elsewhere, for example by another process; the caller alternates the order.
    void add(double oursNs, double floorNs)
    {
        ours_.push_back(oursNs);
        floor_.push_back(floorNs);
        ratios.push_back(floorNs > 0 ? oursNs / floorNs : 0);
    }

    // Sets the counters ours_us and floor_us (medians) and ratio (median of the paired ratios:
    // a slow moment of the machine slows both halves of a pair alike).
    void report(benchmark::State &state);

private:
    template<typename F>
    static double timeNs(F &f)
    {
        const auto start = std::chrono::steady_clock::now();
        f();
        const auto end = std::chrono::steady_clock::now();
        return std::chrono::duration<double, std::nano>(end - start).count();
    }

    std::vector<double> ours_;
    std::vector<double> floor_;
    std::vector<double> ratios;
    bool oursFirst = true;
};

double median(std::vector<double> values);

// The console output plus one summary line per benchmark at the end: its median ratio against the
// target registered for its name or the longest part of it that ends before a slash.
class RatioSummary : public benchmark::ConsoleReporter
{
public:
    // Colours only on a terminal, so that saved output stays plain text.
    RatioSummary();
    static void setTarget(const std::string &benchmarkName, double maxRatio);

    void ReportRuns(const std::vector<Run> &runs) override;
    // Prints the summary; returns how many benchmarks missed their target.
    int printSummary(std::ostream &out) const;

private:
    struct Result {
        double ours = 0;
        double floor = 0;
        double ratio = 0;
    };
    std::vector<std::pair<std::string, Result>> results;
};
