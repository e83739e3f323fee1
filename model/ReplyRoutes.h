#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/CommandJob.h"

// Where the reply of a job goes once its script has run: to `take`, when the
// job's command contains `marker`.
struct ReplyRoute {
    std::string_view marker;
    std::function<void(const std::string& response)> take;
};

// Walks a script that has run, in order: a failed job is passed over (its
// reply is not worth loading), an empty command ends the walk, and each reply
// goes to the first route whose marker its command contains.
void RouteReplies(const JobList& jobs, const std::vector<ReplyRoute>& routes);
