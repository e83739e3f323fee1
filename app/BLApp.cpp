#include "app/BLApp.h"

#include <libxml/parser.h>
#include <libxml/xmlversion.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/AppResources.h"
#include "app/BLPropertySheet.h"
#include "app/PortFollower.h"
#include "app/ProgramTitle.h"
#include "app/StartOptions.h"
#include "app/UserGuide.h"
#include "app/VersionText.h"
#include "link/GatewayArrival.h"
#include "link/LinkMessages.h"
#include "link/PortDiscovery.h"
#include "link/Prompter.h"
#include "model/DeviceInfoCollection.h"
#include "model/UnreadReport.h"
#include "pages/CellPage.h"
#include "pages/MainPage.h"
#include "pages/MeshletPage.h"
#include "pages/MeshletSettingsPage.h"
#include "pages/SerialSettings.h"
#include "pages/SkyvanePage.h"
#include "transfer/FirmwarePage.h"
#include "transfer/PythonPage.h"
#include "transfer/UtilsPage.h"

namespace {

constexpr char kConnectText[] =
    "Please connect the power adapter to your Linkhold R7, then connect the R7 to your computer "
    "using the supplied USB cable.";

constexpr char kHeldText[] =
    "Another program holds the Linkhold R7's port open, for example ModemManager, r7ctl or a "
    "second copy of this program. Close that program, then press Retry.";

// The oldest libxml2 whose parser behaviour the configuration trees rely on.
constexpr int kOldestXmlLibrary = 20702;

}  // namespace

BLApp::BLApp(Prompter& prompter, Clock& clock)
    : prompter_(prompter),
      clock_(clock),
      port_(clock),
      runner_(port_),
      uploader_(port_, clock),
      runSheet_([](BLPropertySheet& sheet) { sheet.exec(); }) {}

BLApp::Outcome BLApp::InitInstance(const StartOptions& options) {
    LoadAppResources();
    icon_ = AppIcon();
    OpenLog(options);
    model_.Reset();
    xmlCheckVersion(kOldestXmlLibrary);
    // Set up the parser's global state here, on the user-interface thread,
    // before any other thread could touch it.
    xmlInitParser();
    if (log_.IsOpen())
        log_.WriteStartBlock(kProgramTitle, GetVersionText(), std::time(nullptr));

    if (!FindGateway(options))
        return Outcome::NoGateway;

    // The port tells two dashboards on two gateways apart.
    const QString caption =
        QString::fromUtf8(kProgramTitle) + " - " + QString::fromStdString(port_.PortName());
    BLPropertySheet sheet(caption, model_, runner_, prompter_);
    auto mainPage = std::make_unique<MainPage>(model_, runner_, prompter_);
    mainPage->SetPortName(port_.PortName());
    mainPage->SetMonitorPort(port_, clock_);
    if (!CollectWithRetry(mainPage->Info()))
        return Outcome::NoDeviceInfo;

    // From here on no retry question follows a script that lost the gateway:
    // without a word, a page would show what it held before as if it were current.
    runner_.SetLostPortHandler(
        [this] { prompter_.Warn(kUndetectedTitle, LostPortText(port_.PortName()), {}); });
    MainPage& shownPage = *mainPage;
    // Whichever page's script the gateway answers, the Status line follows.
    runner_.SetAnsweredHandler([&shownPage] { shownPage.ShowConnected(); });
    AddPages(sheet, std::move(mainPage));
    sheet.setWindowIcon(icon_);
    UserGuide::Install(sheet, prompter_);
    const PortFollower follower(port_, &sheet,
                                [&](bool present) { FollowPort(sheet, shownPage, present); });
    runSheet_(sheet);
    ShutDown();
    return Outcome::SheetClosed;
}

void BLApp::OpenLog(const StartOptions& options) {
    if (!options.debugLog)
        return;
    // A log that cannot be opened is not worth stopping for: run without it,
    // and say why on the terminal (a refused symbolic link may be a trap).
    std::string reason;
    if (log_.Open(options.logPath, &reason))
        port_.SetLog(&log_);
    else
        std::fprintf(stderr, "r7dashboard: running without the command log %s: %s\n",
                     options.logPath.c_str(), reason.c_str());
}

bool BLApp::FindGateway(const StartOptions& options) {
    const ProductChooser chooser = [this](const std::vector<std::string>& candidates) {
        return prompter_.ChooseProduct(candidates);
    };
    // Plugging the gateway in answers the warning as Retry would.
    GatewayArrival arrival(options.discovery);
    std::string reason;
    while (!DiscoverPort(port_, options.discovery, chooser, &reason)) {
        // Checking cables and power cannot help a port another program holds.
        const bool held = reason.find(kPortHeldElsewhere) != std::string::npos;
        if (!prompter_.AskRetryUntil(kUndetectedTitle, held ? kHeldText : kConnectText, reason,
                                     arrival))
            return false;
        reason.clear();
    }
    return true;
}

bool BLApp::CollectWithRetry(DeviceInfo& info) {
    CollectionResult result;
    while (!(result = CollectDeviceInfo(runner_, model_, info)).complete) {
        if (!prompter_.AskRetry(kUndetectedTitle, kSilentText, {}))
            return false;
    }
    // The pages that do not need an unreadable document stay usable, so the
    // sheet still opens after the warning.
    ReportUnreadReplies(prompter_, result.unread);
    return true;
}

void BLApp::AddPages(BLPropertySheet& sheet, std::unique_ptr<MainPage> mainPage) {
    // The one place that fixes the tab order: device information, mobile,
    // remote management, radio and radio network (only while the gateway has
    // a radio), serial port, Python, firmware update, utilities.
    const DeviceInfo& sim = mainPage->Info();
    sheet.AddPage(mainPage.release());
    sheet.AddPage(new CellPage(model_, &sim, &prompter_));
    sheet.AddPage(new SkyvanePage(model_, prompter_));
    if (model_.RadioPresent()) {
        sheet.AddPage(new MeshletPage(model_, runner_, uploader_, prompter_));
        sheet.AddPage(new MeshletSettingsPage(runner_));
    }
    sheet.AddPage(new SerialSettings(model_));
    sheet.AddPage(new PythonPage(model_, runner_, uploader_, prompter_));
    sheet.AddPage(new FirmwarePage(model_, runner_, uploader_, prompter_));
    sheet.AddPage(new UtilsPage(model_, runner_, prompter_));
}

// The port's path went away or came back while the sheet and the port were
// idle. A gone port is closed (in its turn, as a sample may have begun
// since), so that a gateway plugged in again can take its node back.
void BLApp::FollowPort(BLPropertySheet& sheet, MainPage& mainPage, bool present) {
    sheet.SetGatewayPresent(present);
    if (!present) {
        port_.Close();
        mainPage.ShowDisconnected();
        return;
    }
    mainPage.Refresh();
}

void BLApp::ShutDown() {
    runner_.SetLostPortHandler({});
    runner_.SetAnsweredHandler({});
    model_.Reset();
    xmlCleanupParser();
    port_.SetLog(nullptr);
    // Whoever asked for the log would otherwise trust a log that lacks the end.
    if (log_.WriteError() != 0)
        std::fprintf(stderr, "r7dashboard: the command log could not be written whole: %s\n",
                     std::strerror(log_.WriteError()));
    log_.Close();
}
