#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/SignalSample.h"

// What one run of r7ctl metrics learnt about one gateway.
struct GatewayMetrics {
    std::string port;        // the by-id name where it has one
    std::string downReason;  // empty when it answered: "busy", "absent", "no_answer", ...
    SignalSample sample;
    // Read from the gateway's identity queries; empty when not given.
    std::string serial;
    std::string product;
    std::string firmware;
    std::string modemRevision;
    double scrapeSeconds = 0;
    // The last time it answered, in seconds since 1970 UTC; none when it
    // never did as far as this run and the previous file know.
    std::optional<double> lastSuccessSeconds;

    bool Up() const { return downReason.empty(); }
};

// Prometheus text exposition of the gateways: each family once, with its
// HELP and TYPE, and a sample for every gateway that has the value.
std::string ExposeMetrics(const std::vector<GatewayMetrics>& gateways);

// The gateways an earlier exposition named (by their port label), each with
// its last success time when it had one. Lines it cannot read are passed over.
std::map<std::string, std::optional<double>> ReadExposedGateways(std::string_view text);

// A label value as the exposition writes it, without the quotes: backslash,
// quote and line feed escaped, bytes that are not UTF-8 replaced by U+FFFD.
std::string EscapeLabelValue(std::string_view value);
