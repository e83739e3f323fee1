#include "pages/SettingsPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "model/ConfigModel.h"
#include "pages/ChoiceList.h"
#include "pages/GroupFrame.h"

namespace {

// An on/off target that holds neither: the stored text was not understood,
// so it is written back only if the user sets the box.
constexpr int kUnknownSwitch = -1;

}  // namespace

SettingsPage::SettingsPage(const QString& title, ConfigModel& model, QWidget* parent)
    : PropertyPage(title, parent), model_(model) {}

SettingBinding& SettingsPage::BindText(std::string path, std::string& value, QLineEdit* edit) {
    WatchEdits(edit);
    SettingBinding& row = AddRow(std::move(path), kTextSetting, AddControl(edit));
    row.text = &value;
    return row;
}

SettingBinding& SettingsPage::BindChoice(std::string path, std::string& value,
                                         const std::string& choices, ChoiceList* list) {
    WatchEdits(list);
    SettingBinding& row = AddRow(std::move(path), kTextSetting | kComboSetting, AddControl(list));
    row.text = &value;
    row.choices = &choices;
    return row;
}

SettingBinding& SettingsPage::BindSwitch(std::string path, int& value, QCheckBox* box) {
    SettingBinding& row = AddRow(std::move(path), kOnOffSetting, AddControl(box));
    row.number = &value;
    return row;
}

SettingBinding& SettingsPage::BindNumber(std::string path, int& value, QCheckBox* box) {
    SettingBinding& row = AddRow(std::move(path), kIntegerSetting, AddControl(box));
    row.number = &value;
    return row;
}

int SettingsPage::AddControl(QWidget* control) {
    // Hidden from the start: the sheet may show a page for a moment before its
    // first activation, when leaving another page is refused.
    control->hide();
    controls_.push_back(control);
    return static_cast<int>(controls_.size());
}

int SettingsPage::AddControl(QCheckBox* box) {
    WatchEdits(box);
    return AddControl(static_cast<QWidget*>(box));
}

SettingBinding& SettingsPage::AddRow(std::string path, unsigned kind, int control) {
    SettingBinding& row = table_.emplace_back();
    row.path = std::move(path);
    row.kind = kind;
    row.control = control;
    return row;
}

void SettingsPage::ShowWith(QWidget* widget, const QWidget* owner) {
    widget->hide();
    followers_.emplace_back(widget, owner);
}

QLabel* SettingsPage::AddLabel(const QString& text, QWidget* parent, QWidget* owner) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(owner);
    ShowWith(label, owner);
    return label;
}

GroupFrame* SettingsPage::AddFrame(const QString& title, QGridLayout*& grid) {
    auto* frame = new GroupFrame(title, this);
    grid = new QGridLayout(frame);
    return frame;
}

void SettingsPage::ShowFrameWith(GroupFrame* frame, const QWidget* owner) {
    frame->ShowFrame(false);
    frames_.emplace_back(frame, owner);
}

void SettingsPage::OnInitDialog() {
    FillChoiceLists();
    HideAll();
    ReadSettings();
    UpdateData(false);
    TakeReportedValues();
}

void SettingsPage::OnSetActive() {
    // Edits not yet applied stay until they are applied or discarded.
    if (IsModified())
        return;
    ReadSettings();
    UpdateData(false);
    TakeReportedValues();
}

bool SettingsPage::OnApply() {
    NoteSent(WriteChangedSettings(table_, model_.SettingsGroups()));
    return true;
}

void SettingsPage::OnApplied() {
    ReadSettings();
    UpdateData(false);
}

void SettingsPage::FillChoiceLists() {
    for (const SettingBinding& row : table_) {
        if ((row.kind & kComboSetting) != 0 && row.choices && row.control > 0)
            static_cast<ChoiceList*>(controls_.at(row.control - 1))->SetChoices(*row.choices);
    }
}

void SettingsPage::HideAll() {
    for (QWidget* widget : controls_)
        widget->hide();
    ShowFollowers();
}

void SettingsPage::ReadSettings() {
    // Without a tree (the last reload did not parse) the page keeps what it
    // holds.
    if (!model_.SettingsGroups())
        return;
    for (const SettingBinding& row : table_) {
        if (row.kind == kOnOffSetting && row.number)
            *row.number = kUnknownSwitch;
    }
    BeforeRead();
    ReadSetting([this](int control) { controls_.at(control - 1)->show(); }, table_,
                model_.SettingsGroups());
    ShowFollowers();
    const bool reloaded = readRevision_ != model_.SettingsRevision();
    readRevision_ = model_.SettingsRevision();
    AfterRead(reloaded);
}

void SettingsPage::ShowFollowers() {
    for (auto [widget, owner] : followers_)
        widget->setVisible(!owner->isHidden());
    // Last: a frame without its border still takes room for shown controls.
    for (auto [frame, owner] : frames_)
        frame->ShowFrame(!owner->isHidden());
}

void SettingsPage::ExchangeCheck(bool save, QCheckBox* box, int& value) {
    if (!save) {
        box->setChecked(value == 1);
        return;
    }
    // An unknown stored state stays as stored while the box is left clear.
    if (value != kUnknownSwitch || box->isChecked())
        value = box->isChecked() ? 1 : 0;
}

void SettingsPage::ExchangeChoice(bool save, ChoiceList* list, std::string& value) {
    if (save)
        value = list->Value();
    else
        list->ShowValue(value);
}
