#include "model/UnreadReport.h"

#include <string>

#include "link/Prompter.h"

namespace {

constexpr char kTitle[] = "Configuration not read";

// "the device settings", "the device settings and the device state", ...
std::string ListDocuments(const UnreadReplies& unread) {
    std::string list;
    for (std::size_t i = 0; i < unread.size(); ++i) {
        if (i > 0) {
            list += i + 1 == unread.size() ? " and " : ", ";
        }
        list += "the " + unread[i].document;
    }
    return list;
}

}  // namespace

void ReportUnreadReplies(Prompter& prompter, const UnreadReplies& unread) {
    if (unread.empty()) {
        return;
    }
    std::string text = ListDocuments(unread);
    text[0] = 'T';
    text += " sent by the device could not be read. The previous values are kept.";
    std::string details;
    for (const UnreadReply& reply : unread) {
        details += reply.document + ": " + reply.reason + "\n";
    }
    details.pop_back();
    prompter.Warn(kTitle, text, details);
}
