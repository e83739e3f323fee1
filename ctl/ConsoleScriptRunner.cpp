#include "ctl/ConsoleScriptRunner.h"

#include "link/ScriptWorker.h"

void ConsoleScriptRunner::Run(JobList& jobs) {
    progress_.Start(ProgressRange(jobs));
    if (RunScript(port_, jobs, progress_, progress_))
        lostPort_ = true;
    progress_.Finish();
}
