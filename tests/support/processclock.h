// SPDX-License-Identifier: GPL-3.0-or-later
// What this process has used so far, for the tests and benchmarks that prove a wait sleeps.
#pragma once

#include <sys/resource.h>

namespace pellomar::test {

// Processor seconds, user and system.
inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The peak resident set, in MB.
inline double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace pellomar::test
