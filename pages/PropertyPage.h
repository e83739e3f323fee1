#pragma once

#include <QEvent>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <string>
#include <vector>

#include "model/SettingReadBack.h"

class PageHost;
class QCheckBox;
class QComboBox;
class QLineEdit;

// One tab of the main property sheet. The sheet drives a page through this
// contract; a page overrides the protected hooks it needs.
//
//  - OnInitDialog runs once, the first time the page is displayed, before its
//    first OnSetActive. Default: UpdateData(false).
//  - OnSetActive runs every time the page becomes the visible page. A page
//    holding edits not yet applied keeps showing them.
//  - OnKillActive runs when the user leaves the page (another tab, OK, Apply).
//    Returning false refuses: the page stays active and the sheet stays open.
//    Default: UpdateData(true), so the variables hold what the controls show.
//  - OnApply runs on OK and Apply for every modified page, active or not: it
//    checks the page's values and writes them into the model's tree (noting
//    what it changed with NoteSent). Returning false refuses, after saying
//    why: the sheet shows the page and sends nothing. The sheet then sends
//    each tree written once, with the page's ApplyRequest.
//  - OnApplied runs once the gateway's tree has been read back after the
//    send: the page shows what the gateway now reports and is no longer
//    modified. A page whose edits were not confirmed stays modified.
//  - UpdateData(save) moves values between controls and variables through
//    DoDataExchange: save = true reads the controls into the variables, false
//    shows the variables in the controls.
//  - A page is modified while a control registered with WatchEdits differs
//    from what it showed at the last TakeReportedValues (the values the
//    gateway reported); the sheet's Apply button follows.
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
    // Checks and writes the edits; the sheet sends them.
    bool Apply();
    // The request that sends what Apply wrote; QEvent::None when nothing is
    // sent (the page is applied at once).
    virtual QEvent::Type ApplyRequest() const { return QEvent::None; }
    // The values the last Apply changed in the tree.
    const std::vector<SentSetting>& SentSettings() const { return sent_; }
    // The tree was read back after the send.
    void Applied();

    void SetModified(bool modified);
    bool IsModified() const { return modified_; }
    bool IsActivePage() const;
    bool UpdateData(bool save) { return DoDataExchange(save); }
    // What the page last told on the window's status line.
    QString StatusText() const { return statusText_; }

signals:
    void ModifiedChanged(bool modified);

protected:
    virtual void OnInitDialog();
    virtual void OnSetActive() {}
    virtual bool OnKillActive();
    virtual bool OnApply() { return true; }
    virtual void OnApplied() {}
    virtual bool DoDataExchange(bool save);

    void NoteSent(std::vector<SentSetting> sent) { sent_ = std::move(sent); }
    // How an operation without a message of its own ended.
    void ShowStatus(const QString& text);
    // Every change of the control is checked against the reported value.
    void WatchEdits(QLineEdit* edit);
    void WatchEdits(QCheckBox* box);
    void WatchEdits(QComboBox* list);
    // The watched controls now show what the gateway reports.
    void TakeReportedValues();

    static void ExchangeText(bool save, QLineEdit* edit, std::string& value);

private:
    void NoteEdit();
    QStringList WatchedValues() const;

    QString title_;
    PageHost* sheet_ = nullptr;
    bool displayed_ = false;
    bool modified_ = false;
    std::vector<SentSetting> sent_;
    QString statusText_;
    std::vector<QWidget*> watched_;
    QStringList reported_;
};
