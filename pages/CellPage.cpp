#include "pages/CellPage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/Prompter.h"
#include "model/DeviceInfo.h"
#include "model/SettingConverters.h"
#include "pages/ChoiceList.h"
#include "pages/GroupFrame.h"
#include "pages/ProviderDialog.h"

namespace {

// Wide enough for a long APN such as "internet.linkhold.example".
constexpr int kEditChars = 36;

std::optional<ApnPreset> RunProviderDialog(QWidget* parent, const ProviderDatabase& database,
                                           const std::string& imsi) {
    ProviderDialog dialog(database, imsi, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Chosen();
}

}  // namespace

CellPage::CellPage(ConfigModel& model, const DeviceInfo* sim, Prompter* prompter, QWidget* parent)
    : SettingsPage(QStringLiteral("Mobile"), model, parent),
      sim_(sim),
      prompter_(prompter),
      chooser_(RunProviderDialog),
      bandChoices_(BandChoices()) {
    providerFrame_ = AddFrame(QStringLiteral("Mobile Service Provider Settings"), providerGrid_);
    apnEdit_ = AddEdit(QStringLiteral("Service Plan/APN:"), "mobile_simple/apn", apn_);
    usernameEdit_ = AddEdit(QStringLiteral("Username:"), "mobile_simple/username", username_);
    // Not masked, so that it can be compared with the operator's account details.
    passwordEdit_ = AddEdit(QStringLiteral("Password:"), "mobile_simple/password", password_);
    pinEdit_ = AddEdit(QStringLiteral("SIM Pin:"), "mobile_simple/pin", pin_);
    // Beside the APN; added after the edits, which fill the grid two widgets a line.
    chooseButton_ = new QPushButton(QStringLiteral("Choose Provider..."), providerFrame_);
    chooseButton_->setObjectName(QStringLiteral("chooseProvider"));
    connect(chooseButton_, &QPushButton::clicked, this, &CellPage::ChooseProvider);
    providerGrid_->addWidget(chooseButton_, 0, 2);
    ShowWith(chooseButton_, apnEdit_);
    ShowFrameWith(providerFrame_, apnEdit_);

    QGridLayout* bandGrid = nullptr;
    bandFrame_ = AddFrame(QStringLiteral("Mobile Band Settings"), bandGrid);
    bandList_ = new ChoiceList(bandFrame_);
    bandList_->setObjectName(QStringLiteral("mobile_simple/mobile_gsm_band"));
    bandGrid->addWidget(AddLabel(QStringLiteral("Band Configuration:"), bandFrame_, bandList_), 0,
                        0);
    bandGrid->addWidget(bandList_, 0, 1);
    bandGrid->setColumnStretch(2, 1);
    ShowFrameWith(bandFrame_, bandList_);

    SettingBinding& band =
        BindChoice("mobile_simple/mobile_gsm_band", band_, bandChoices_, bandList_);
    band.readConverter = BandForDisplay;
    band.writeConverter = BandForStorage;

    auto* page = new QVBoxLayout(this);
    page->addWidget(providerFrame_);
    page->addWidget(bandFrame_);
    page->addStretch();
}

QLineEdit* CellPage::AddEdit(const QString& label, const char* path, std::string& value) {
    auto* edit = new QLineEdit(providerFrame_);
    edit->setObjectName(QString::fromLatin1(path));
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * kEditChars);
    const int line = providerGrid_->count() / 2;
    providerGrid_->addWidget(AddLabel(label, providerFrame_, edit), line, 0);
    providerGrid_->addWidget(edit, line, 1);
    BindText(path, value, edit);
    return edit;
}

bool CellPage::DoDataExchange(bool save) {
    ExchangeText(save, apnEdit_, apn_);
    ExchangeText(save, usernameEdit_, username_);
    ExchangeText(save, passwordEdit_, password_);
    ExchangeText(save, pinEdit_, pin_);
    ExchangeChoice(save, bandList_, band_);
    return true;
}

void CellPage::SetProviderChooser(const ProviderDatabase& database, ProviderChooser chooser) {
    database_ = &database;
    chooser_ = std::move(chooser);
}

// The database is read at the first choice, not at start-up.
void CellPage::ChooseProvider() {
    const ProviderDatabase& database =
        database_ != nullptr ? *database_ : ProviderDatabase::Installed();
    if (!database.Loaded()) {
        if (prompter_ != nullptr)
            prompter_->Warn("Choose Provider", database.Problem(), {});
        return;
    }
    const std::optional<ApnPreset> preset =
        chooser_(this, database, sim_ != nullptr ? sim_->imsi : std::string());
    if (!preset)
        return;
    Fill(apnEdit_, preset->apn);
    Fill(usernameEdit_, preset->username);
    Fill(passwordEdit_, preset->password);
}

// As if typed: the page is modified, and nothing is sent before Apply.
void CellPage::Fill(QLineEdit* edit, const std::string& value) {
    const QString text = QString::fromStdString(value);
    if (edit->text() == text)
        return;
    edit->setText(text);
    SetModified(true);
}
