#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "model/ProviderDatabase.h"

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QListWidget;

// "Choose Provider": country, provider and access point from the providers'
// database, opened on the SIM's network when the database knows it (its
// providers marked as such), with a search field that narrows the providers
// of the country shown.
class ProviderDialog : public QDialog {
    Q_OBJECT

public:
    // `imsi` may be empty or a page text ("No SIM Inserted"): the dialog then
    // opens on the first country.
    ProviderDialog(const ProviderDatabase& database, const std::string& imsi,
                   QWidget* parent = nullptr);

    // The access point selected, if any.
    std::optional<ApnPreset> Chosen() const;

private:
    void ShowCountry();
    void ShowProviders();
    void ShowAccessPoints();
    void SelectProvider(const std::string& provider);

    const ProviderDatabase& database_;
    std::vector<std::string> simProviders_;  // the providers on the SIM's network
    QLineEdit* search_ = nullptr;
    QComboBox* country_ = nullptr;
    QListWidget* providers_ = nullptr;
    QListWidget* accessPoints_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};
