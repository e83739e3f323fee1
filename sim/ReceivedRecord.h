#pragma once

#include <string>

// Bytes the gateway received, cut where the gateway sees one unit of input.
struct ReceivedRecord {
    enum class Kind { Command, Document, Data, Other };
    Kind kind = Kind::Other;
    std::string bytes;
};

const char* KindName(ReceivedRecord::Kind kind);
