#pragma once

#include <QComboBox>
#include <string>
#include <vector>

// A drop-down list of fixed choices that never changes a stored value it does
// not know: such a value is shown as an extra entry and read back unchanged
// unless the user picks another entry.
class ChoiceList : public QComboBox {
    Q_OBJECT

public:
    explicit ChoiceList(QWidget* parent = nullptr);

    // Fills the list from a choices text (entries separated by line feeds) and
    // selects the first entry.
    void SetChoices(const std::string& choices);

    // Selects the entry equal to `value` ignoring case; an unknown value is
    // added as an extra entry, the empty text selects nothing.
    void ShowValue(const std::string& value);
    // The selected entry's text; empty when nothing is selected.
    std::string Value() const;

private:
    void Fill(const std::vector<std::string>& entries, int selected);

    std::vector<std::string> choices_;
};
