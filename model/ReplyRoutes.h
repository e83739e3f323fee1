#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/CommandJob.h"
#include "model/ReplyLoad.h"

// Where the reply of a job goes once its script has run: to `take`, when the
// job's command contains `marker`.
struct ReplyRoute {
    std::string_view marker;
    std::function<void(const std::string& response)> take;
};

// Walks a script that has run, in order: a failed job, or one met only with
// silence, is passed over (its empty reply is no tree of the gateway's, and
// loading it would drop the one held), an empty command ends the walk, and each reply
// goes to the first route whose marker its command contains. A routed reply
// that was cut short is noted in `unread` instead, as the gateway did answer.
void RouteReplies(const JobList& jobs, const std::vector<ReplyRoute>& routes,
                  UnreadReplies& unread);

// The complaint for a settings, state or radio settings query whose reply
// overflowed its buffer; nothing for any other job.
std::optional<UnreadReply> CutShortReply(const CommandJob& job);
