#include "ctl/DesiredSettings.h"

#include <sstream>

#include "model/ElementSearch.h"
#include "model/XmlDocument.h"

namespace {

constexpr char kBlanks[] = " \t\r";

std::string Trim(const std::string& line) {
    const std::size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
}

// A backup holds the set_setting request; a saved query reply its query_setting.
bool ParseDocument(const std::string& content, const std::string& name,
                   std::vector<SettingValue>& values, std::string& problem) {
    std::string reason;
    const XmlDocument document = ParseXmlText(content, name.c_str(), &reason);
    if (!document) {
        problem = "not well-formed XML: " + reason;
        return false;
    }
    const xmlNodePtr root = xmlDocGetRootElement(document.get());
    xmlNodePtr holder = FindChildElement(root, XML_ELEMENT_NODE, "set_setting");
    if (holder == nullptr)
        holder = FindChildElement(root, XML_ELEMENT_NODE, "query_setting");
    if (holder == nullptr) {
        problem = "holds no settings (no set_setting element)";
        return false;
    }
    values = ListSettingPaths(holder->children);
    return true;
}

bool ParseLines(const std::string& content, std::vector<SettingValue>& values,
                std::string& problem) {
    std::istringstream lines(content);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = Trim(line);
        if (line.empty() || line.starts_with('#'))
            continue;
        SettingValue entry;
        if (!SplitAssignment(line, entry.path, entry.value)) {
            problem = "line " + std::to_string(number) + ": '" + line + "' is not PATH=VALUE";
            return false;
        }
        values.push_back(entry);
    }
    return true;
}

}  // namespace

bool ParseDesiredSettings(const std::string& content, const std::string& name,
                          std::vector<SettingValue>& values, std::string& problem) {
    const std::size_t first = content.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && content[first] == '<')
        return ParseDocument(content, name, values, problem);
    return ParseLines(content, values, problem);
}
