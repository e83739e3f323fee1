#include "transfer/DialogUploadRunner.h"

#include <QApplication>

#include "transfer/UploadDialog.h"

UploadOutcome DialogUploadRunner::Upload(const std::string& localPath, UploadTarget target) {
    UploadDialog dialog(port_, clock_, QApplication::activeWindow());
    dialog.SetUploadFile(localPath, target == UploadTarget::FirmwareImage,
                         target == UploadTarget::RadioFile);
    return dialog.RunModal();
}
