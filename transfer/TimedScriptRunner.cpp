#include "transfer/TimedScriptRunner.h"

void TimedScriptRunner::Run(JobList& jobs) {
    const std::uint64_t start = clock_.NowMs();
    runner_.Run(jobs);
    lastRunMs_ = clock_.NowMs() - start;
}
