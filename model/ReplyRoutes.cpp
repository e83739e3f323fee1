#include "model/ReplyRoutes.h"

#include "model/RequestDocuments.h"

namespace {

const ReplyRoute* FindRoute(const std::string& command, const std::vector<ReplyRoute>& routes) {
    for (const ReplyRoute& route : routes) {
        if (command.find(route.marker) != std::string::npos) {
            return &route;
        }
    }
    return nullptr;
}

// The document a configuration query asks for, as the user knows it;
// nullptr for any other command.
const char* QueriedDocument(const std::string& command) {
    const auto asks = [&command](std::string_view query) {
        return command.find(query) != std::string::npos;
    };
    if (asks(kSettingsQuery)) {
        return kSettingsDocumentName;
    }
    if (asks(kStateQuery)) {
        return kStateDocumentName;
    }
    return asks(kRadioSettingsQuery) ? kRadioDocumentName : nullptr;
}

}  // namespace

void RouteReplies(const JobList& jobs, const std::vector<ReplyRoute>& routes,
                  UnreadReplies& unread) {
    for (const CommandJob& job : jobs) {
        const std::string command = job.GetCommand();
        if (command.empty()) {
            break;
        }
        const ReplyRoute* route = FindRoute(command, routes);
        if (route == nullptr) {
            continue;
        }
        if (const std::optional<UnreadReply> cut = CutShortReply(job)) {
            unread.push_back(*cut);
        } else if ((job.GetStatus() != CommandJob::kFailed && job.Answered()) || job.CutAtNul()) {
            // A document cut at a NUL byte does not parse: it is reported.
            route->take(job.GetResponse());
        }
    }
}

std::optional<UnreadReply> CutShortReply(const CommandJob& job) {
    const char* document = QueriedDocument(job.GetCommand());
    if (job.GetCutShortBytes() == 0 || document == nullptr) {
        return std::nullopt;
    }
    return UnreadReply{document, "The reply was larger than " +
                                     std::to_string(job.GetCutShortBytes()) +
                                     " bytes and was cut short."};
}
