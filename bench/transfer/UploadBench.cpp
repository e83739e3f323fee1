// Upload pace and memory against the simulated gateway. Run by hand; prints
// its figures.
//
// Pace: a 200 KiB upload should cost its pacing (200 blocks x 50 ms) plus what
// the command steps cost on their own, measured as an upload of an empty file
// less its one pause. Target ratio: at most 1.03.
// Memory: peak resident size of this process (link, file buffer, no widgets)
// around a 4 MiB upload, paced 50 times faster since pace does not change it.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "link/ModemPort.h"
#include "link/PortDiscovery.h"
#include "tests/support/SimGateway.h"
#include "tests/support/TestClocks.h"
#include "transfer/UploadWorker.h"

namespace {

struct NoProgress : UploadObserver {
    void SetProgressRange(int) override {}
    void StepProgress() override {}
};

double PeakResidentMiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

std::string MakeFile(const SimGateway& gateway, const std::string& name, std::size_t size) {
    const std::string path = gateway.Directory() + "/" + name;
    std::ofstream file(path, std::ios::binary);
    for (std::size_t i = 0; i < size; ++i)
        file.put(static_cast<char>(i * 7));
    return path;
}

// Seconds one upload takes, or a negative value when it did not go through.
double TimeUpload(ModemPort& port, Clock& clock, const std::string& path) {
    NoProgress progress;
    const auto start = std::chrono::steady_clock::now();
    const UploadOutcome outcome =
        RunUpload(port, clock, path, UploadTarget::PythonProgram, progress);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome == UploadOutcome::Sent ? seconds : -1;
}

}  // namespace

int main() {
    SimGateway gateway({"--time-scale", "1"});
    ModemPort port(Clock::System());
    DiscoveryOptions options;
    options.explicitPort = gateway.LinkPath();
    if (!DiscoverPort(port, options, {}, nullptr)) {
        std::fprintf(stderr, "cannot open %s\n", gateway.LinkPath().c_str());
        return 1;
    }

    constexpr std::size_t kPaceBytes = 200 * 1024;
    const double empty = TimeUpload(port, Clock::System(), MakeFile(gateway, "empty.py", 0));
    const double paced =
        TimeUpload(port, Clock::System(), MakeFile(gateway, "pace.py", kPaceBytes));
    if (empty < 0 || paced < 0) {
        std::fprintf(stderr, "upload failed\n");
        return 1;
    }
    const double steps = empty - kBlockPauseMs / 1000.0;
    const double floor = kPaceBytes / kUploadBlockBytes * (kBlockPauseMs / 1000.0) + steps;
    std::printf("200 KiB upload:            %.3f s\n", paced);
    std::printf("command steps on their own: %.3f s\n", steps);
    std::printf("pacing floor:              %.3f s (200 x 50 ms + steps)\n", floor);
    std::printf("ratio:                     %.4f (target <= 1.03)\n", paced / floor);

    const double before = PeakResidentMiB();
    ScaledClock fast(50);
    ModemPort fastPort(fast);
    port.Close();
    fastPort.SetPortName(gateway.LinkPath());
    if (!fastPort.Open() ||
        TimeUpload(fastPort, fast, MakeFile(gateway, "big.bin", 4 * 1024 * 1024)) < 0) {
        std::fprintf(stderr, "4 MiB upload failed\n");
        return 1;
    }
    std::printf("peak resident, before 4 MiB upload: %.1f MiB\n", before);
    std::printf("peak resident, after 4 MiB upload:  %.1f MiB (whole program target < 80 MB)\n",
                PeakResidentMiB());
    return 0;
}
