#pragma once

#include <string>

#include "transfer/UploadWorker.h"

// What pages use to upload one file. The program's runner (DialogUploadRunner)
// shows the "Uploading..." dialog while its worker runs RunUpload over the
// application's port; tests run the upload without a window. Upload returns
// once the upload has ended, whichever way.
class UploadRunner {
public:
    virtual ~UploadRunner() = default;
    virtual UploadOutcome Upload(const std::string& localPath, UploadTarget target) = 0;
};
