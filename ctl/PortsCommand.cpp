#include <string>
#include <vector>

#include "ctl/CtlCommands.h"
#include "ctl/ExitStatus.h"
#include "ctl/JsonText.h"
#include "link/PortDiscovery.h"

namespace {

std::string Identity(const GatewayTty& tty) {
    std::string identity = tty.usbId;
    for (const std::string* part : {&tty.manufacturer, &tty.product, &tty.serial}) {
        if (!part->empty())
            identity += ' ' + *part;
    }
    return identity;
}

void PrintJson(std::ostream& out, const std::vector<GatewayTty>& ttys) {
    out << '[';
    for (std::size_t i = 0; i < ttys.size(); ++i) {
        const GatewayTty& tty = ttys[i];
        out << (i ? ", " : "") << "{\"device\": " << JsonQuote(tty.node)
            << ", \"by_id\": " << JsonQuote(tty.stableName == tty.node ? "" : tty.stableName)
            << ", \"usb_id\": " << JsonQuote(tty.usbId)
            << ", \"manufacturer\": " << JsonQuote(tty.manufacturer)
            << ", \"product\": " << JsonQuote(tty.product)
            << ", \"serial\": " << JsonQuote(tty.serial)
            << ", \"usable\": " << (tty.openProblem.empty() ? "true" : "false")
            << ", \"problem\": " << JsonQuote(tty.openProblem) << '}';
    }
    out << "]\n";
}

}  // namespace

int RunPorts(CtlCall& call) {
    std::string reason;
    const std::vector<GatewayTty> ttys = ListGateways(call.environment.discovery, &reason);
    if (call.options.json) {
        PrintJson(call.environment.out, ttys);
    } else {
        for (const GatewayTty& tty : ttys) {
            call.environment.out << tty.node << '\t'
                                 << (tty.stableName == tty.node ? "-" : tty.stableName) << '\t'
                                 << Identity(tty) << '\t'
                                 << (tty.openProblem.empty() ? "usable" : tty.openProblem) << '\n';
        }
    }
    // No gateway is an empty list, as other tools list no modems; why none
    // was found is for whoever asks to see more.
    if (ttys.empty() && call.options.verbose)
        call.environment.err << "r7ctl: " << reason << '\n';
    return kExitSuccess;
}
