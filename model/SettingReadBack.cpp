#include "model/SettingReadBack.h"

#include "model/XmlString.h"

namespace {

std::string StoredText(xmlNodePtr groups, const std::string& path) {
    const xmlNodePtr element = FindSettingElement(path, groups);
    return element == nullptr ? std::string() : NodeContent(element);
}

}  // namespace

std::vector<SentSetting> WriteChangedSettings(const BindingTable& table, xmlNodePtr groups) {
    std::vector<std::string> before;
    for (const SettingBinding& row : table)
        before.push_back(StoredText(groups, row.path));
    WriteSetting(table, groups);
    std::vector<SentSetting> changed;
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::string after = StoredText(groups, table[i].path);
        if (after != before[i])
            changed.push_back({table[i].path, std::move(after)});
    }
    return changed;
}

std::vector<KeptSetting> FindSettingsNotKept(xmlNodePtr groups,
                                             const std::vector<SentSetting>& sent) {
    std::vector<KeptSetting> kept;
    for (const SentSetting& setting : sent) {
        std::string value = StoredText(groups, setting.path);
        if (value != setting.value)
            kept.push_back({setting.path, setting.value, std::move(value)});
    }
    return kept;
}
