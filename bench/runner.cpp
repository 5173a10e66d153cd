// SPDX-License-Identifier: MIT
// Runs bench_baseline, bench_controls and bench_startup as child processes, in turn, and
// reports the median wall time (fork to the end of wait4) and peak resident set size
// (ru_maxrss of the child, from wait4) of each, and the other two as ratios to the baseline.
// The start-up ratios carry the targets, to the empty program and to bench_controls.
//
//   bench_runner [--runs N] [baseline-program controls-program startup-program]
//
// The programs default to the three next to this one.
#include "childrun.h"
#include "figures.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Sample
{
    double wallMs = 0.0;
    double peakRssMb = 0.0;
};

struct Series
{
    std::vector<double> wallMs;
    std::vector<double> peakRssMb;
};

std::string ownFolder()
{
    std::vector<char> path(4096);
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return ".";
    std::string self(path.data(), std::size_t(length));
    const auto slash = self.rfind('/');
    return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
}

// One run of `program`; exits the runner when the program does not end with status 0.
Sample runOnce(const std::string &program)
{
    const bench::ChildRun run = bench::runChild({program}, bench::ChildOutput::ToStderr);
    if (run.status != 0) {
        bench::progress("%s failed (status %d)", program.c_str(), run.status);
        std::exit(1);
    }
    return {run.wallMs, run.peakRssMb};
}

void add(Series &series, const Sample &sample)
{
    series.wallMs.push_back(sample.wallMs);
    series.peakRssMb.push_back(sample.peakRssMb);
}

} // namespace

int main(int argc, char *argv[])
{
    int runs = 15;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            programs.emplace_back(argv[i]);
    }
    if (programs.empty()) {
        const std::string folder = ownFolder();
        programs = {folder + "/bench_baseline", folder + "/bench_controls",
                    folder + "/bench_startup"};
    }
    if (programs.size() != 3) {
        std::fprintf(stderr, "usage: %s [--runs N] [baseline controls startup]\n", argv[0]);
        return 2;
    }
    // The programs draw offscreen unless the caller chose a platform.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    // One untimed run of each warms the page cache and the font cache.
    for (const std::string &program : programs)
        runOnce(program);

    std::vector<Series> series(programs.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < programs.size(); ++i)
            add(series[i], runOnce(programs[i]));
    }

    const char *const names[] = {"Empty Qt program", "Same controls, no program (reference)",
                                 "Bexlorin start-up"};
    std::vector<double> wall;
    std::vector<double> rss;
    bench::progress("start-up: %d runs each, in turn", runs);
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const Series &s = series[i];
        wall.push_back(bench::median(s.wallMs));
        rss.push_back(bench::median(s.peakRssMb));
        bench::progress("  %-40s wall %5.1f ms (min %5.1f, max %5.1f), peak RSS %.1f MiB", names[i],
                        wall[i], *std::min_element(s.wallMs.begin(), s.wallMs.end()),
                        *std::max_element(s.wallMs.begin(), s.wallMs.end()), rss[i]);
    }

    const std::string median = " (median of " + std::to_string(runs) + ")";
    for (std::size_t i = 0; i < programs.size(); ++i) {
        bench::row(std::string(names[i]) + ", start to exit" + median,
                   bench::fixed(wall[i], 1) + " ms");
        bench::row(std::string(names[i]) + ", peak RSS" + median, bench::fixed(rss[i], 1) + " MiB");
    }
    bench::row("Same controls, no program / empty program: wall time, peak RSS",
               bench::fixed(wall[1] / wall[0], 2) + "×, " + bench::fixed(rss[1] / rss[0], 2) + "×");
    bench::ratioRow("Start-up wall time / empty program", wall[2] / wall[0], 1.5);
    bench::ratioRow("Start-up wall time / same controls, no program", wall[2] / wall[1], 1.15);
    bench::ratioRow("Start-up peak RSS / empty program", rss[2] / rss[0], 1.3);
    return 0;
}
