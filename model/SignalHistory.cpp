#include "model/SignalHistory.h"

#include <algorithm>

void SignalHistory::Add(const SignalSample& sample) {
    samples_.push_back(sample);
    while (samples_.size() > kMaxSamples || samples_.front().unixMs < sample.unixMs - kWindowMs) {
        samples_.pop_front();
    }
}

std::optional<int> SignalHistory::CurrentDbm() const {
    return samples_.empty() ? std::nullopt : samples_.back().Dbm();
}

std::optional<int> SignalHistory::MinDbm() const {
    std::optional<int> least;
    for (const SignalSample& sample : samples_) {
        if (const std::optional<int> dbm = sample.Dbm())
            least = least ? std::min(*least, *dbm) : *dbm;
    }
    return least;
}

std::optional<int> SignalHistory::MaxDbm() const {
    std::optional<int> most;
    for (const SignalSample& sample : samples_) {
        if (const std::optional<int> dbm = sample.Dbm())
            most = most ? std::max(*most, *dbm) : *dbm;
    }
    return most;
}

std::optional<double> SignalHistory::AverageDbm() const {
    double sum = 0;
    int count = 0;
    for (const SignalSample& sample : samples_) {
        if (const std::optional<int> dbm = sample.Dbm()) {
            sum += *dbm;
            ++count;
        }
    }
    return count == 0 ? std::nullopt : std::optional<double>(sum / count);
}
