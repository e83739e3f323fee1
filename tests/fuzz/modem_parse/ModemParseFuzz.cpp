// The reply parser of the serial exchange. Input: the command sent, one line with its line
// feed, then the raw bytes the gateway answered.

#include <string>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "link/ModemPort.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input = FuzzText(data, size);
    const std::string command = std::string(TakeUntil(input, "\n")) + '\n';
    const std::string reply(input);
    static ModemPort port;
    std::string payload;
    const bool succeeded = port.Parse(command, reply, payload);

    const std::string_view received = std::string_view(reply).substr(0, reply.find('\0'));
    FuzzCheck(payload.find('\0') == std::string::npos, "the payload stops at a NUL byte");
    FuzzCheck(payload.size() <= received.size(), "the payload is cut from the reply");
    FuzzCheck(payload.empty() || (payload.front() != '\n' && payload.back() != '\n' &&
                                  payload.front() != '\r' && payload.back() != '\r'),
              "the payload carries no surrounding line breaks");
    // Cutting out output blocks can join an ERROR status together, so only replies without
    // markup are held to this.
    FuzzCheck(succeeded || received.find("ERROR\r\n") != std::string_view::npos ||
                  received.find(" ERROR:") != std::string_view::npos ||
                  received.find('<') != std::string_view::npos,
              "only an ERROR status or an extended error result fails");
    return 0;
}
