#include "ctl/ConsoleScriptRunner.h"

#include "link/ScriptWorker.h"

void ConsoleScriptRunner::Run(JobList& jobs) {
    progress_.Start(ProgressRange(jobs));
    RunScript(port_, jobs, progress_, progress_);
    progress_.Finish();
}
