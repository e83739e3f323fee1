#include "app/VersionText.h"

#include <string_view>

std::string GetVersionText() {
    constexpr std::string_view version = R7_VERSION;
    return version.empty() ? std::string() : "Version " + std::string(version);
}
