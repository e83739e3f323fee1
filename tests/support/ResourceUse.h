#pragma once

#include <sys/resource.h>
#include <sys/time.h>

#include <chrono>

// What a stretch of a test cost this process: CPU time against the time that
// passed (a loop that polls without pausing burns about as much CPU as time
// passes, a wait that sleeps almost none) and how far the peak resident size
// grew. The simulated gateway is another process and is not counted.
class ResourceUse {
public:
    ResourceUse() : startCpu_(CpuSeconds()), startPeakKb_(PeakKb()) {}

    double CpuSecondsSpent() const { return CpuSeconds() - startCpu_; }
    double WallSecondsPassed() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - startWall_).count();
    }
    // Growth of the high-water mark: an upper bound of what was held at once.
    long PeakGrowthKb() const { return PeakKb() - startPeakKb_; }

private:
    static double CpuSeconds() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        return seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    static long PeakKb() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    }

    const std::chrono::steady_clock::time_point startWall_ = std::chrono::steady_clock::now();
    const double startCpu_;
    const long startPeakKb_;
};
