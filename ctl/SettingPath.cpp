#include "ctl/SettingPath.h"

#include "model/SettingBinding.h"

namespace {

// Any control will do: the reveal call then tells that the value exists.
constexpr int kFoundControl = 1;

}  // namespace

std::optional<std::string> ReadSettingPath(xmlNodePtr groups, const std::string& path) {
    std::string text;
    bool found = false;
    ReadSetting([&found](int) { found = true; },
                BindingTable{TextBinding(path, &text, kFoundControl)}, groups);
    if (!found)
        return std::nullopt;
    return text;
}

bool WriteSettingPath(xmlNodePtr groups, const std::string& path, const std::string& value) {
    if (!ReadSettingPath(groups, path))
        return false;
    std::string text = value;
    WriteSetting(BindingTable{TextBinding(path, &text, kFoundControl)}, groups);
    return true;
}

bool SplitAssignment(const std::string& assignment, std::string& path, std::string& value) {
    std::size_t segmentStart = 0;
    for (std::size_t i = 0; i < assignment.size(); ++i) {
        if (assignment[i] == '/') {
            segmentStart = i + 1;
        } else if (assignment[i] == '=') {
            const bool qualifier =
                assignment.find('&', segmentStart) < i;  // "&index=3" is still the path
            if (!qualifier) {
                path = assignment.substr(0, i);
                value = assignment.substr(i + 1);
                return !path.empty();
            }
        }
    }
    return false;
}

bool IsSecretPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    name = name.substr(0, name.find('&'));
    return name == "password" || name == "pin";
}
