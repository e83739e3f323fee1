#pragma once

#include <QIcon>
#include <functional>
#include <memory>

#include "link/Clock.h"
#include "link/CommandLog.h"
#include "link/DialogScriptRunner.h"
#include "link/ModemPort.h"
#include "model/ConfigModel.h"
#include "transfer/DialogUploadRunner.h"

class BLPropertySheet;
class MainPage;
class Prompter;
struct DeviceInfo;
struct StartOptions;

// The application object: holds the gateway's port, the command log and the
// configuration trees for the whole run, and runs start-up: find the gateway,
// collect its information, show the property sheet until the user closes it.
class BLApp {
public:
    // How start-up ended.
    enum class Outcome {
        NoGateway,     // the user gave up looking for the gateway
        NoDeviceInfo,  // the user gave up reading from it; the sheet never appeared
        SheetClosed    // the normal end
    };

    // Runs the sheet; by default modally. Tests drive it instead.
    using SheetRunner = std::function<void(BLPropertySheet&)>;

    explicit BLApp(Prompter& prompter, Clock& clock = Clock::System());

    Outcome InitInstance(const StartOptions& options);
    void SetSheetRunner(SheetRunner runner) { runSheet_ = std::move(runner); }

    ModemPort& Port() { return port_; }
    ConfigModel& Model() { return model_; }
    CommandLog& Log() { return log_; }
    const QIcon& Icon() const { return icon_; }

private:
    void OpenLog(const StartOptions& options);
    bool FindGateway(const StartOptions& options);
    bool CollectWithRetry(DeviceInfo& info);
    void AddPages(BLPropertySheet& sheet, std::unique_ptr<MainPage> mainPage);
    void FollowPort(BLPropertySheet& sheet, MainPage& mainPage, bool present);
    void ShutDown();

    Prompter& prompter_;
    Clock& clock_;
    ModemPort port_;
    DialogScriptRunner runner_;
    DialogUploadRunner uploader_;
    CommandLog log_;
    ConfigModel model_;
    QIcon icon_;
    SheetRunner runSheet_;
};
