#include "link/DialogScriptRunner.h"

#include <QApplication>

#include "link/CommDialog.h"

void DialogScriptRunner::Run(JobList& jobs) {
    CommDialog dialog(port_, jobs, QApplication::activeWindow());
    dialog.RunModal();
    if (dialog.LostPort() && onLostPort_)
        onLostPort_();
}
