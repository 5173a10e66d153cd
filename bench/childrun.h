// SPDX-License-Identifier: MIT
#pragma once

#include "figures.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

// One program run as a child process: wall time from fork to the end of wait4, peak
// resident set size from wait4 (Linux reports ru_maxrss in kilobytes), exit status (-1
// when it did not exit by itself).
struct ChildRun
{
    double wallMs = 0.0;
    double peakRssMb = 0.0;
    int status = -1;
    double cpuMs = 0.0; // user and system time, which a busy machine inflates less than wall time
};

// Where the child's printing goes: a figure never comes from it, so standard output is
// never the benchmark's own.
enum class ChildOutput { ToStderr, Discarded };

// Runs arguments[0] (looked up on PATH) with the rest as its arguments. A fork or wait4 that
// fails ends the benchmark.
inline ChildRun runChild(const std::vector<std::string> &arguments, ChildOutput output)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (child == 0) {
        if (output == ChildOutput::Discarded) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        } else {
            dup2(STDERR_FILENO, STDOUT_FILENO);
        }
        execvp(argv[0], argv.data());
        std::perror(argv[0]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("wait4");
        std::exit(1);
    }
    const auto end = Clock::now();
    const auto ms = [](const timeval &time) {
        return double(time.tv_sec) * 1000.0 + double(time.tv_usec) / 1000.0;
    };
    return {microsecondsBetween(start, end) / 1000.0, double(usage.ru_maxrss) / 1024.0,
            WIFEXITED(status) ? WEXITSTATUS(status) : -1, ms(usage.ru_utime) + ms(usage.ru_stime)};
}

} // namespace bench
