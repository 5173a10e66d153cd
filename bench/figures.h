// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// How every benchmark times, summarises and reports. Progress and detail go to stderr; the
// figures go to stdout as "ROW|figure|measured|target|met" lines, which scripts/bench gathers
// into one table.
namespace bench {

using Clock = std::chrono::steady_clock;

inline double microsecondsBetween(Clock::time_point start, Clock::time_point end)
{
    return std::chrono::duration<double, std::micro>(end - start).count();
}

// Wall time of one call, in microseconds.
template<typename Work>
double timeMicroseconds(Work &&work)
{
    const auto start = Clock::now();
    work();
    return microsecondsBetween(start, Clock::now());
}

// The whole number after `name` on the command line (at least 1), or `fallback`.
inline int countOption(int argc, char *argv[], const char *name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

inline std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

[[gnu::format(printf, 1, 2)]] inline void progress(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
}

// One row of the table. Figures without a target leave the last two columns as a dash.
inline void row(const std::string &figure, const std::string &measured,
                const std::string &target = "—", const std::string &met = "—")
{
    std::printf("ROW|%s|%s|%s|%s\n", figure.c_str(), measured.c_str(), target.c_str(), met.c_str());
    std::fflush(stdout);
}

// A ratio against its upper limit. A ratio that rounds to the limit but misses it shows a
// third decimal, so the table never reads "1.30×, ≤ 1.3×, no" without saying why.
inline void ratioRow(const std::string &figure, double ratio, double limit)
{
    const bool met = ratio <= limit;
    std::string shown = fixed(ratio, 2);
    if (!met && shown == fixed(limit, 2))
        shown = fixed(ratio, 3);
    const int limitDecimals = std::fabs(limit * 10 - std::round(limit * 10)) < 1e-9 ? 1 : 2;
    row(figure, shown + "×", "≤ " + fixed(limit, limitDecimals) + "×", met ? "yes" : "no");
}

} // namespace bench
