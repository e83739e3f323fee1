#include "pages/ProviderDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <algorithm>
#include <map>

namespace {

constexpr int kPresetRole = Qt::UserRole;

// "Germany (DE)"; the code alone for one Qt does not know.
QString CountryName(const std::string& code) {
    const QString upper = QString::fromStdString(code).toUpper();
    const QLocale::Territory territory = QLocale::codeToTerritory(upper);
    if (territory == QLocale::AnyTerritory)
        return upper;
    return QStringLiteral("%1 (%2)").arg(QLocale::territoryToString(territory), upper);
}

// "T-Mobile LTE: fast.t-mobile.com (postpaid)".
QString AccessPointText(const ApnPreset& preset) {
    QString text = QString::fromStdString(preset.name);
    if (preset.name != preset.apn)
        text += QStringLiteral(": ") + QString::fromStdString(preset.apn);
    if (!preset.plan.empty())
        text += QStringLiteral(" (%1)").arg(QString::fromStdString(preset.plan));
    return text;
}

}  // namespace

ProviderDialog::ProviderDialog(const ProviderDatabase& database, const std::string& imsi,
                               QWidget* parent)
    : QDialog(parent),
      database_(database),
      search_(new QLineEdit(this)),
      country_(new QComboBox(this)),
      providers_(new QListWidget(this)),
      accessPoints_(new QListWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(QStringLiteral("Choose Provider"));
    search_->setObjectName(QStringLiteral("providerSearch"));
    search_->setPlaceholderText(QStringLiteral("Provider name"));
    search_->setClearButtonEnabled(true);
    country_->setObjectName(QStringLiteral("providerCountry"));
    providers_->setObjectName(QStringLiteral("providerList"));
    accessPoints_->setObjectName(QStringLiteral("accessPointList"));

    std::map<QString, std::string> countries;  // sorted by name
    for (const ApnPreset& preset : database_.Presets())
        countries.emplace(CountryName(preset.country), preset.country);
    for (const auto& [name, code] : countries)
        country_->addItem(name, QString::fromStdString(code));

    const std::vector<ApnPreset> onSim = database_.ForImsi(imsi);
    for (const ApnPreset& preset : onSim) {
        if (std::ranges::find(simProviders_, preset.provider) == simProviders_.end())
            simProviders_.push_back(preset.provider);
    }
    if (!onSim.empty())
        country_->setCurrentIndex(
            country_->findData(QString::fromStdString(onSim.front().country)));

    auto* grid = new QGridLayout(this);
    auto* searchLabel = new QLabel(QStringLiteral("&Search:"), this);
    searchLabel->setBuddy(search_);
    auto* countryLabel = new QLabel(QStringLiteral("&Country:"), this);
    countryLabel->setBuddy(country_);
    auto* providerLabel = new QLabel(QStringLiteral("&Provider:"), this);
    providerLabel->setBuddy(providers_);
    auto* planLabel = new QLabel(QStringLiteral("&Access point:"), this);
    planLabel->setBuddy(accessPoints_);
    grid->addWidget(countryLabel, 0, 0);
    grid->addWidget(country_, 0, 1);
    grid->addWidget(searchLabel, 1, 0);
    grid->addWidget(search_, 1, 1);
    grid->addWidget(providerLabel, 2, 0, 1, 2);
    grid->addWidget(planLabel, 2, 2);
    grid->addWidget(providers_, 3, 0, 1, 2);
    grid->addWidget(accessPoints_, 3, 2);
    grid->addWidget(buttons_, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 2);
    resize(720, 400);

    connect(country_, &QComboBox::currentIndexChanged, this, &ProviderDialog::ShowCountry);
    connect(search_, &QLineEdit::textChanged, this, &ProviderDialog::ShowProviders);
    connect(providers_, &QListWidget::currentRowChanged, this, &ProviderDialog::ShowAccessPoints);
    connect(accessPoints_, &QListWidget::currentRowChanged, this,
            [this](int row) { buttons_->button(QDialogButtonBox::Ok)->setEnabled(row >= 0); });
    connect(accessPoints_, &QListWidget::itemActivated, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    ShowCountry();
    if (!simProviders_.empty())
        SelectProvider(simProviders_.front());
}

// A search is for the country it was typed in.
void ProviderDialog::ShowCountry() {
    if (search_->text().isEmpty())
        ShowProviders();
    else
        search_->clear();
}

// The country's providers whose name holds the search text, each once.
void ProviderDialog::ShowProviders() {
    const std::string country = country_->currentData().toString().toStdString();
    const QString search = search_->text().trimmed();
    providers_->clear();
    std::vector<std::string> shown;
    for (const ApnPreset& preset : database_.Presets()) {
        if (preset.country != country || std::ranges::find(shown, preset.provider) != shown.end())
            continue;
        const QString name = QString::fromStdString(preset.provider);
        if (!name.contains(search, Qt::CaseInsensitive))
            continue;
        shown.push_back(preset.provider);
        const bool onSim = std::ranges::find(simProviders_, preset.provider) != simProviders_.end();
        auto* item = new QListWidgetItem(onSim ? name + QStringLiteral(" (SIM's network)") : name,
                                         providers_);
        item->setData(kPresetRole, name);
    }
    if (providers_->count() > 0)
        providers_->setCurrentRow(0);
    ShowAccessPoints();
}

void ProviderDialog::ShowAccessPoints() {
    accessPoints_->clear();
    const QListWidgetItem* provider = providers_->currentItem();
    const std::string country = country_->currentData().toString().toStdString();
    const auto& presets = database_.Presets();
    for (std::size_t i = 0; provider != nullptr && i < presets.size(); ++i) {
        if (presets[i].country != country ||
            QString::fromStdString(presets[i].provider) != provider->data(kPresetRole).toString())
            continue;
        auto* item = new QListWidgetItem(AccessPointText(presets[i]), accessPoints_);
        item->setData(kPresetRole, static_cast<qulonglong>(i));
    }
    if (accessPoints_->count() > 0)
        accessPoints_->setCurrentRow(0);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(accessPoints_->currentRow() >= 0);
}

void ProviderDialog::SelectProvider(const std::string& provider) {
    const QString name = QString::fromStdString(provider);
    for (int row = 0; row < providers_->count(); ++row) {
        if (providers_->item(row)->data(kPresetRole).toString() == name) {
            providers_->setCurrentRow(row);
            return;
        }
    }
}

std::optional<ApnPreset> ProviderDialog::Chosen() const {
    const QListWidgetItem* item = accessPoints_->currentItem();
    if (item == nullptr)
        return std::nullopt;
    return database_.Presets().at(item->data(kPresetRole).toULongLong());
}
