#include "model/ReplyRoutes.h"

void RouteReplies(const JobList& jobs, const std::vector<ReplyRoute>& routes) {
    for (const CommandJob& job : jobs) {
        if (job.GetStatus() == CommandJob::kFailed) {
            continue;
        }
        const std::string command = job.GetCommand();
        if (command.empty()) {
            break;
        }
        for (const ReplyRoute& route : routes) {
            if (command.find(route.marker) != std::string::npos) {
                route.take(job.GetResponse());
                break;
            }
        }
    }
}
