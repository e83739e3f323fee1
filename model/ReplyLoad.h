#pragma once

#include <optional>
#include <string>
#include <vector>

// A configuration reply that held no readable document: the document it was
// meant to become ("device settings", "device state" or "radio settings") and
// why it could not be read (libxml2's complaint with its line).
struct UnreadReply {
    std::string document;
    std::string reason;
};
using UnreadReplies = std::vector<UnreadReply>;

// How the documents are named to the user when their reply cannot be read.
inline constexpr char kSettingsDocumentName[] = "device settings";
inline constexpr char kStateDocumentName[] = "device state";
inline constexpr char kRadioDocumentName[] = "radio settings";

// What became of one reply handed to the model: the load's own answer, and
// the complaint when the reply could not be read, so that whoever asked for
// the reload can tell the user.
struct ReplyLoad {
    bool loaded = true;
    std::optional<UnreadReply> unread;

    explicit operator bool() const { return loaded; }
};

inline void NoteUnread(const ReplyLoad& load, UnreadReplies& list) {
    if (load.unread) {
        list.push_back(*load.unread);
    }
}
