#include "link/DialogScriptRunner.h"

#include <QApplication>
#include <algorithm>

#include "link/CommDialog.h"

void DialogScriptRunner::Run(JobList& jobs) {
    CommDialog dialog(port_, jobs, QApplication::activeWindow());
    dialog.RunModal();
    toldLostPort_ = dialog.LostPort() && onLostPort_;
    if (toldLostPort_)
        onLostPort_();
    else if (!dialog.LostPort() && onAnswered_ &&
             std::any_of(jobs.begin(), jobs.end(),
                         [](const CommandJob& job) { return job.Answered(); }))
        onAnswered_();
}
