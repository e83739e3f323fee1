#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What a row's value is; when several of text, integer and on/off are set,
// text wins over integer and integer over on/off. kComboSetting only tells the
// page to fill its combo box from `choices`.
enum SettingKind : unsigned {
    kOnOffSetting = 1,
    kIntegerSetting = 2,
    kTextSetting = 4,
    kComboSetting = 8
};

// Turns a text between its form in the tree and its form on the page.
using SettingConverter = std::function<std::string(const std::string&)>;

// One bound value of a page. The path names the element holding the value,
// from a group of the tree down, e.g. "mgmtconnection&index=3/connectionEnabled"
// (a segment's "&name=value" selects the element whose index attribute equals
// value). Text rows use `text`, integer and on/off rows `number`.
struct SettingBinding {
    std::string path;
    std::string* text = nullptr;
    int* number = nullptr;
    int control = 0;
    const std::string* choices = nullptr;
    unsigned kind = 0;
    SettingConverter readConverter;
    SettingConverter writeConverter;
};

// A text row: the value at `path` copied to and from *target, revealing
// `control` (0: none) when the tree holds it.
inline SettingBinding TextBinding(std::string path, std::string* target, int control = 0) {
    SettingBinding row;
    row.path = std::move(path);
    row.text = target;
    row.control = control;
    row.kind = kTextSetting;
    return row;
}

// A page's rows; a row with an empty path ends the table.
using BindingTable = std::vector<SettingBinding>;

// Makes a page control visible; called with the row's control when its value
// exists in the tree.
using RevealControl = std::function<void(int control)>;

// Rows longer than this cannot be held by a page and are never found.
inline constexpr std::size_t kMaxSettingPathLength = 99;

// The element holding the path's value, or nullptr when the tree lacks it.
xmlNodePtr FindSettingElement(std::string_view path, xmlNodePtr groups);

// Copies every value the tree holds into its row's target and reveals the
// row's control. Rows whose path is missing are left alone.
void ReadSetting(const RevealControl& reveal, const BindingTable& table, xmlNodePtr groups);

// Replaces the text of every value element found with its row's target.
// Nothing is ever created.
void WriteSetting(const BindingTable& table, xmlNodePtr groups);
