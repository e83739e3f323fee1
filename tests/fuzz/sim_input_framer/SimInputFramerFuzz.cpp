// The simulated gateway's input framer, driven as the gateway drives it: a command holding
// "=22" announces a document, "=17,N" sets an upload length and "=5" then announces that many
// bytes of data. Input: one byte
// giving the size of the reads, then the received bytes. Every byte must come out exactly
// once, in order.

#include <charconv>
#include <string>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "InputFramer.h"

namespace {

void Announce(InputFramer& framer, const std::string& command, std::size_t& uploadLength) {
    const std::size_t length = command.find("=17,");
    if (length != std::string::npos) {
        std::from_chars(command.data() + length + 4, command.data() + command.size(), uploadLength);
        uploadLength %= 100000;
    } else if (command.find("=22") != std::string::npos) {
        framer.ExpectDocument();
    } else if (command.find("=5\r") != std::string::npos) {
        framer.ExpectData(uploadLength);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t readSize = 1 + data[0] % 64;
    const std::string_view received = FuzzText(data + 1, size - 1);
    InputFramer framer;
    std::string framed;
    std::size_t uploadLength = 0;
    for (std::size_t at = 0; at < received.size(); at += readSize) {
        framer.Append(received.substr(at, readSize));
        while (auto record = framer.Next()) {
            framed += record->bytes;
            if (record->kind == ReceivedRecord::Kind::Command) {
                Announce(framer, record->bytes, uploadLength);
            }
        }
    }
    framed += framer.Abandon();
    FuzzCheck(framed == received, "every received byte is framed once, in order");
    return 0;
}
