// SPDX-License-Identifier: GPL-3.0-or-later
#include "pairedtiming.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include <unistd.h>

namespace
{

std::map<std::string, double> &targets()
{
    static std::map<std::string, double> map;
    return map;
}

} // namespace

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
    if (values.size() % 2)
        return values[mid];
    const double upper = values[mid];
    return (*std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid)) + upper) / 2;
}

void PairedTiming::report(benchmark::State &state)
{
    state.counters["ours_us"] = median(ours_) / 1000;
    state.counters["floor_us"] = median(floor_) / 1000;
    state.counters["ratio"] = median(ratios);
}

RatioSummary::RatioSummary()
    : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular)
{
}

void RatioSummary::setTarget(const std::string &benchmarkName, double maxRatio)
{
    targets()[benchmarkName] = maxRatio;
}

void RatioSummary::ReportRuns(const std::vector<Run> &runs)
{
    for (const Run &run : runs) {
        const auto ratio = run.counters.find("ratio");
        if (ratio == run.counters.end() || run.error_occurred)
            continue;
        // With repetitions only their median counts; without, the single run.
        const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
        const bool medianOfRepetitions = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (!single && !medianOfRepetitions)
            continue;
        Result result;
        result.ratio = ratio->second.value;
        result.ours = run.counters.at("ours_us").value;
        result.floor = run.counters.at("floor_us").value;
        results.emplace_back(run.run_name.str(), result);
    }
    ConsoleReporter::ReportRuns(runs);
}

int RatioSummary::printSummary(std::ostream &out) const
{
    int missed = 0;
    out << "\nsummary: benchmark, ours and its baseline (median us), ratio, target\n";
    for (const auto &[name, result] : results) {
        // Run names carry arguments after slashes; the longest registered prefix sets the target.
        auto target = targets().find(name);
        for (size_t slash = name.rfind('/'); target == targets().end() && slash != std::string::npos && slash > 0;
             slash = name.rfind('/', slash - 1))
            target = targets().find(name.substr(0, slash));
        char line[256];
        if (target == targets().end()) {
            std::snprintf(line, sizeof line, "summary: %-32s %10.1f %10.1f  ratio %.3f\n", name.c_str(), result.ours,
                          result.floor, result.ratio);
        } else {
            const bool met = result.ratio <= target->second;
            missed += met ? 0 : 1;
            std::snprintf(line, sizeof line, "summary: %-32s %10.1f %10.1f  ratio %.3f  target <= %.2f  %s\n",
                          name.c_str(), result.ours, result.floor, result.ratio, target->second,
                          met ? "met" : "MISSED");
        }
        out << line;
    }
    return missed;
}
