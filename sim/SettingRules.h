#pragma once

#include <optional>
#include <string>

// What the gateway accepts for a setting and how it stores it. Settings without a rule are
// stored as sent.
class SettingRules {
public:
    // The value as the gateway stores it, or nothing when the gateway refuses it.
    static std::optional<std::string> Check(const std::string& group, const std::string& field,
                                            const std::string& value);
};
