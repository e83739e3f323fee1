#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "DocumentScanner.h"
#include "ReceivedRecord.h"

// Cuts the received byte stream into commands, bare documents and upload data. What the next
// bytes are depends on the command before them, so the owner pulls one record at a time and
// switches the mode in between.
class InputFramer {
public:
    void Append(std::string_view bytes);
    std::optional<ReceivedRecord> Next();

    // The bytes that follow are one bare document (after at&usbinterface=22).
    void ExpectDocument();
    // The bytes that follow are `length` bytes of raw upload data.
    void ExpectData(std::size_t length);
    bool AwaitingPayload() const { return mode_ != Mode::Command; }
    // Gives up on whatever was not framed yet (the port went away or input stalled) and goes
    // back to reading commands.
    std::string Abandon();

private:
    enum class Mode { Command, Document, Data };

    std::optional<ReceivedRecord> NextCommand();
    std::optional<ReceivedRecord> NextDocument();
    std::optional<ReceivedRecord> NextData();
    ReceivedRecord Take(ReceivedRecord::Kind kind, std::size_t length);

    Mode mode_ = Mode::Command;
    std::string buffer_;
    std::size_t dataRemaining_ = 0;
    DocumentScanner scanner_;
};
