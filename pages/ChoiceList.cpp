#include "pages/ChoiceList.h"

#include <QSignalBlocker>

#include "model/SettingConverters.h"

ChoiceList::ChoiceList(QWidget* parent) : QComboBox(parent) {
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
}

void ChoiceList::SetChoices(const std::string& choices) {
    choices_ = SplitChoices(choices);
    Fill(choices_, 0);
}

void ChoiceList::ShowValue(const std::string& value) {
    if (value.empty()) {
        Fill(choices_, -1);
        return;
    }
    const int known = FindChoice(choices_, value);
    if (known >= 0) {
        Fill(choices_, known);
        return;
    }
    std::vector<std::string> entries = choices_;
    entries.push_back(value);
    Fill(entries, static_cast<int>(entries.size()) - 1);
}

std::string ChoiceList::Value() const {
    return currentIndex() < 0 ? std::string() : currentText().toStdString();
}

void ChoiceList::Fill(const std::vector<std::string>& entries, int selected) {
    // Only the user's choices count as edits.
    const QSignalBlocker quiet(this);
    clear();
    for (const std::string& entry : entries)
        addItem(QString::fromStdString(entry));
    setCurrentIndex(selected);
}
