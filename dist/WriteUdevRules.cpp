// Writes the udev rule installed with the program, from the same table of
// gateway identities that port discovery uses:  write_udev_rules OUTPUT
#include <cctype>
#include <fstream>
#include <string>
#include <string_view>

#include "link/GatewayIdentity.h"

namespace {

// Discovery compares ignoring case; a udev match is exact, so every letter
// becomes a pattern of both cases: "WAVECOM" -> "[Ww][Aa]...".
std::string CaselessPattern(std::string_view text) {
    std::string pattern;
    for (const char c : text) {
        const auto letter = static_cast<unsigned char>(c);
        if (std::isalpha(letter) != 0) {
            pattern += '[';
            pattern += static_cast<char>(std::toupper(letter));
            pattern += static_cast<char>(std::tolower(letter));
            pattern += ']';
        } else {
            pattern += c;
        }
    }
    return pattern;
}

// For every port of a matching device: the user at the seat may open it
// (no dialout group needed), and ModemManager neither probes nor holds it.
constexpr std::string_view kGrant = R"(TAG+="uaccess", ENV{ID_MM_DEVICE_IGNORE}="1")";

std::string Rules() {
    std::string rules =
        "# Tarvel R7 Dashboard: the Linkhold R7 gateway's serial ports.\n"
        "# Lets the logged-in user open them without joining the dialout group, and\n"
        "# keeps ModemManager away from them. Generated when the program is built, from\n"
        "# the identity port discovery uses (link/GatewayIdentity.h in its sources).\n"
        "# Gateways known only by their USB vendor:product go into " +
        std::string(kGatewaysFile) +
        ",\n"
        "# one pair a line; then run r7dashboard-udev-rules as root, which writes\n"
        "# /etc/udev/rules.d/70-r7dashboard-local.rules for them.\n";
    rules += "SUBSYSTEM==\"tty\", ATTRS{manufacturer}==\"" + CaselessPattern(kGatewayManufacturer) +
             "\", " + std::string(kGrant) + "\n";
    return rules;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2)
        return 2;
    std::ofstream out(argv[1]);
    out << Rules();
    out.close();
    return out ? 0 : 1;
}
