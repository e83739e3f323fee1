#include "pages/LampRules.h"

#include <array>

namespace {

constexpr int kNoMeasurement = 99;

// Lowest level (dBm) that lights each bar, first bar first.
constexpr std::array<int, 3> kThreeLampThresholds = {-108, -93, -77};
constexpr std::array<int, 5> kFiveLampThresholds = {-108, -101, -92, -86, -77};

template <std::size_t N>
int CountReached(int level, const std::array<int, N>& thresholds) {
    int bars = 0;
    for (int threshold : thresholds) {
        if (level >= threshold)
            ++bars;
    }
    return bars;
}

}  // namespace

bool HasThreeSignalLamps(std::string_view product) {
    return product.find("R7R") != std::string_view::npos;
}

int LitSignalBars(int signal, bool threeLamps) {
    if (signal == kNoMeasurement)
        signal = 0;
    const int level = 2 * signal - 113;
    return threeLamps ? CountReached(level, kThreeLampThresholds)
                      : CountReached(level, kFiveLampThresholds);
}

bool IsLinkLit(std::string_view ipAddress) {
    return ipAddress.substr(0, 7) != "0.0.0.0";
}
