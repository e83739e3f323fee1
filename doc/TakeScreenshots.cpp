// Draws every tab of the dashboard and its Signal Monitor, as a user sees them against
// a gateway, into PNG files for the user guide (scripts/take-screenshots runs it
// against the simulated gateway, without a display):
//     take_screenshots --port DEVICE DIR
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "app/BLApp.h"
#include "app/BLPropertySheet.h"
#include "app/StartOptions.h"
#include "app/WidgetPrompter.h"
#include "pages/MainPage.h"
#include "pages/PropertyPage.h"
#include "pages/SignalMonitorWindow.h"

namespace {

// Lets the window finish what it started (a page's first reading, a sample).
void Settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

// "Device Information" -> "device-information".
QString FileName(const QString& title) {
    QString name;
    for (const QChar c : title.toLower()) {
        if (c.isLetterOrNumber())
            name += c;
        else if (!name.endsWith('-'))
            name += '-';
    }
    return name + ".png";
}

// TEXT without the mnemonic the window may have given the button.
void ClickButton(QWidget& page, const QString& text) {
    for (QPushButton* button : page.findChildren<QPushButton*>())
        if (button->text().remove('&') == text)
            button->click();
}

// Saves the Utilities tab's backup without a file dialog, so that the status line
// has something to say.
class ScreenshotPrompter : public WidgetPrompter {
public:
    std::string ChooseSaveFile(const std::string&, const std::string& proposedPath,
                               const std::string&) override {
        return (dir_.path() + '/').toStdString() + proposedPath;
    }

private:
    QTemporaryDir dir_;
};

bool Save(QWidget& widget, const QString& dir, const QString& name) {
    const QString path = dir + '/' + name;
    if (widget.grab().save(path))
        return true;
    std::fprintf(stderr, "take_screenshots: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 4 || arguments[1] != "--port") {
        std::fputs("usage: take_screenshots --port DEVICE DIR\n", stderr);
        return 2;
    }
    StartOptions options;
    std::string error;
    if (!ParseCommandLine({"--port", arguments[2].toStdString()}, options, &error)) {
        std::fprintf(stderr, "take_screenshots: %s\n", error.c_str());
        return 2;
    }
    const QString dir = arguments[3];
    bool saved = true;
    ScreenshotPrompter prompter;
    BLApp dashboard(prompter);
    dashboard.SetSheetRunner([&](BLPropertySheet& sheet) {
        sheet.resize(sheet.sizeHint().expandedTo(QSize(1000, 560)));
        sheet.show();
        for (int page = 0; page < sheet.PageCount(); ++page) {
            sheet.SetActivePage(page);
            // The node list is empty until the radio has looked for nodes.
            if (sheet.Page(page)->Title() == QStringLiteral("Meshlet Network"))
                ClickButton(*sheet.Page(page), QStringLiteral("Refresh"));
            if (sheet.Page(page)->Title() == QStringLiteral("Utilities"))
                ClickButton(*sheet.Page(page), QStringLiteral("Backup"));
            Settle(1500);
            saved = Save(sheet, dir, FileName(sheet.Page(page)->Title())) && saved;
        }
        sheet.SetActivePage(0);
        auto* main = static_cast<MainPage*>(sheet.Page(0));
        main->OpenMonitor();
        // A minute of samples, so that the plot shows a line rather than a dot.
        Settle(60000);
        saved = Save(*main->Monitor(), dir, "signal-monitor.png") && saved;
        main->Monitor()->close();
    });
    if (dashboard.InitInstance(options) != BLApp::Outcome::SheetClosed) {
        std::fputs("take_screenshots: the gateway could not be read\n", stderr);
        return 1;
    }
    return saved ? 0 : 1;
}
