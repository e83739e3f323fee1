#include "ctl/SettingPath.h"

#include <set>

#include "model/SettingBinding.h"
#include "model/XmlString.h"

namespace {

// Any control will do: the reveal call then tells that the value exists.
constexpr int kFoundControl = 1;

bool HoldsElements(xmlNodePtr node) {
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            return true;
    }
    return false;
}

// The path segment of an element: its name, and its index when it has one.
std::string Segment(xmlNodePtr element) {
    std::string segment = reinterpret_cast<const char*>(element->name);
    std::string index;
    if (ReadAttribute(element, "index", index) && !index.empty())
        segment += "&index=" + index;
    return segment;
}

void ListSiblings(xmlNodePtr node, const std::string& prefix, std::vector<SettingValue>& values) {
    std::set<std::string> seen;
    for (; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE)
            continue;
        const std::string segment = Segment(node);
        if (!seen.insert(segment).second)
            continue;
        const std::string path = prefix + segment;
        if (HoldsElements(node))
            ListSiblings(node->children, path + '/', values);
        else
            values.push_back({path, NodeContent(node)});
    }
}

}  // namespace

std::vector<SettingValue> ListSettingPaths(xmlNodePtr groups) {
    std::vector<SettingValue> values;
    ListSiblings(groups, {}, values);
    return values;
}

std::optional<std::string> ReadSettingPath(xmlNodePtr groups, const std::string& path) {
    std::string text;
    bool found = false;
    ReadSetting([&found](int) { found = true; },
                BindingTable{TextBinding(path, &text, kFoundControl)}, groups);
    if (!found)
        return std::nullopt;
    return text;
}

bool NamesSettingsGroup(xmlNodePtr groups, const std::string& path) {
    const xmlNodePtr element = FindSettingElement(path, groups);
    return element != nullptr && HoldsElements(element);
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
