#pragma once

#include <string>
#include <string_view>
#include <vector>

// One access point that a mobile provider lists for internet use.
struct ApnPreset {
    std::string country;  // the database's country code, lower case ("us")
    std::string provider;
    std::string name;  // the access point's own name, or the APN when it has none
    std::string apn;
    std::string username;
    std::string password;
    std::string plan;  // "postpaid", "prepaid", both ("postpaid/prepaid"), or empty
    std::vector<std::string> networks;  // the provider's networks, MCC and MNC run together

    bool operator==(const ApnPreset&) const = default;
};

// The mobile providers' database that Linux network managers use: for each
// country, its providers, their networks (MCC/MNC) and access points. Several
// providers may share a network (virtual operators on their host's network).
class ProviderDatabase {
public:
    static constexpr char kInstalledPath[] =
        "/usr/share/mobile-broadband-provider-info/serviceproviders.xml";

    // Reads the database; false, with Problem() saying why in words for the
    // user, when the file cannot be read or lists no access point.
    bool Load(const std::string& path);
    bool Loaded() const { return !presets_.empty(); }
    const std::string& Problem() const { return problem_; }

    // Every internet access point, in the database's order.
    const std::vector<ApnPreset>& Presets() const { return presets_; }

    // Those of the providers on this network (five or six digits).
    std::vector<ApnPreset> ForNetwork(std::string_view mccmnc) const;

    // Those of the SIM's network: the MNC has two or three digits depending on
    // the network, so the IMSI's first six digits are tried, then its first
    // five.
    std::vector<ApnPreset> ForImsi(std::string_view imsi) const;

    // The installed database, read at the first call (from any thread) and
    // kept for the rest of the run: nothing is read at start-up.
    static const ProviderDatabase& Installed();

private:
    std::vector<ApnPreset> presets_;
    std::string problem_;
};

// A network code as MCC and MNC run together: five or six digits.
bool IsNetworkCode(std::string_view text);
