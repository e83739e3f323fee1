#include "link/GatewayArrival.h"

#include <algorithm>
#include <string>
#include <vector>

#include "link/Clock.h"

namespace {

// Also looked at without any event, in case one was missed (or inotify is
// not there at all).
constexpr std::uint32_t kRecheckMs = 1000;

std::vector<std::string> WatchedPaths(const DiscoveryOptions& options) {
    if (!options.explicitPort.empty())
        return {options.explicitPort};
    // A node appears in the device directory, its link in serial/by-id.
    return {options.deviceDir + "/tty", options.deviceDir + "/serial/by-id/link"};
}

}  // namespace

GatewayArrival::GatewayArrival(DiscoveryOptions options)
    : options_(std::move(options)), watch_(WatchedPaths(options_)) {}

bool GatewayArrival::Happened() {
    watch_.Consume();
    return !FindCandidates(options_, nullptr).empty();
}

bool GatewayArrival::WaitFor(Clock& clock, std::uint64_t ms) {
    const std::uint64_t deadline = clock.NowMs() + ms;
    while (!Happened()) {
        const std::uint64_t now = clock.NowMs();
        if (now >= deadline)
            return false;
        watch_.Wait(
            clock, static_cast<std::uint32_t>(std::min<std::uint64_t>(deadline - now, kRecheckMs)));
    }
    return true;
}
