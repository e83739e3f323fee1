#pragma once

#include <QEvent>
#include <QString>
#include <QWidget>
#include <string>

class PageHost;
class QLineEdit;

// One tab of the main property sheet. The sheet drives a page through this
// contract; a page overrides the protected hooks it needs.
//
//  - OnInitDialog runs once, the first time the page is displayed, before its
//    first OnSetActive. Default: UpdateData(false).
//  - OnSetActive runs every time the page becomes the visible page.
//  - OnKillActive runs when the user leaves the page (another tab, OK, Apply).
//    Returning false refuses: the page stays active and the sheet stays open.
//    Default: UpdateData(true), so the variables hold what the controls show.
//  - OnApply runs on OK and Apply for every page that has been displayed,
//    after the active page accepted OnKillActive. Returning false keeps the
//    sheet open. A page that sends settings to the gateway does so only while
//    IsActivePage(), so one OK sends the document once. A successful apply
//    clears the modified flag.
//  - UpdateData(save) moves values between controls and variables through
//    DoDataExchange: save = true reads the controls into the variables, false
//    shows the variables in the controls.
//  - SetModified(true) after a user edit enables the sheet's Apply button.
// A button that only works on local files (Browse): it stays usable while the
// gateway is unplugged, when the sheet switches off every other button.
inline constexpr char kLocalButton[] = "localButton";

class PropertyPage : public QWidget {
    Q_OBJECT

public:
    explicit PropertyPage(const QString& title, QWidget* parent = nullptr);

    QString Title() const { return title_; }

    // Called by the sheet.
    void AttachSheet(PageHost* sheet) { sheet_ = sheet; }
    void Activate();
    bool Deactivate() { return OnKillActive(); }
    bool Apply();
    bool WasDisplayed() const { return displayed_; }

    void SetModified(bool modified);
    bool IsModified() const { return modified_; }
    bool IsActivePage() const;
    bool UpdateData(bool save) { return DoDataExchange(save); }

signals:
    void ModifiedChanged(bool modified);

protected:
    virtual void OnInitDialog();
    virtual void OnSetActive() {}
    virtual bool OnKillActive();
    virtual bool OnApply() { return true; }
    virtual bool DoDataExchange(bool save);

    // Delivers one of the sheet's apply requests and returns when it has run.
    void SendToSheet(QEvent::Type type);

    static void ExchangeText(bool save, QLineEdit* edit, std::string& value);

private:
    QString title_;
    PageHost* sheet_ = nullptr;
    bool displayed_ = false;
    bool modified_ = false;
};
