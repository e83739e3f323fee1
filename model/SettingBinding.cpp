#include "model/SettingBinding.h"

#include <string_view>
#include <utility>

#include "link/AsciiText.h"
#include "model/ElementSearch.h"
#include "model/ReplyText.h"
#include "model/XmlString.h"

namespace {

// One step of a path: an element name and, optionally, the index attribute
// value the element must carry.
struct PathSegment {
    std::string_view name;
    std::string_view index;
    bool qualified = false;
};

// "name&key=value": the key itself is never looked at; only a key that is
// present makes the segment qualified.
PathSegment SplitSegment(std::string_view segment) {
    PathSegment parsed{segment, {}, false};
    const std::size_t ampersand = segment.find('&');
    if (ampersand == std::string_view::npos) {
        return parsed;
    }
    const std::size_t equals = segment.find('=', ampersand);
    if (equals == std::string_view::npos) {
        return parsed;
    }
    parsed.name = segment.substr(0, ampersand);
    parsed.index = segment.substr(equals + 1);
    parsed.qualified = equals > ampersand + 1;
    return parsed;
}

bool MatchesSegment(xmlNodePtr node, const PathSegment& segment) {
    if (!IsNamedNode(node, XML_ELEMENT_NODE, segment.name)) {
        return false;
    }
    std::string index;
    return !segment.qualified ||
           (ReadAttribute(node, "index", index) && EqualsIgnoringAsciiCase(index, segment.index));
}

// The first node from `node` on that matches; a later namesake is never tried.
xmlNodePtr MatchAmongSiblings(xmlNodePtr node, const PathSegment& segment) {
    for (; node != nullptr; node = node->next) {
        if (MatchesSegment(node, segment)) {
            return node;
        }
    }
    return nullptr;
}

// Text wins over integer, integer over on/off.
unsigned EffectiveKind(unsigned kind) {
    for (const unsigned bit : {kTextSetting, kIntegerSetting, kOnOffSetting}) {
        if ((kind & bit) != 0) {
            return bit;
        }
    }
    return 0;
}

void ReadOnOff(std::string_view text, int& target) {
    if (EqualsIgnoringAsciiCase(text, "on")) {
        target = 1;
    } else if (EqualsIgnoringAsciiCase(text, "off")) {
        target = 0;
    }
}

void ReadValue(const SettingBinding& row, xmlNodePtr element) {
    const unsigned kind = EffectiveKind(row.kind);
    if (element->children == nullptr) {
        // An empty element is an empty text; a number cannot be read from it.
        if (kind == kTextSetting && row.text != nullptr) {
            row.text->clear();
        }
        return;
    }
    const std::string content = NodeContent(element->children);
    if (kind == kTextSetting && row.text != nullptr) {
        *row.text = row.readConverter ? row.readConverter(content) : content;
    } else if (kind == kIntegerSetting && row.number != nullptr) {
        *row.number = LeadingInteger(content);
    } else if (kind == kOnOffSetting && row.number != nullptr) {
        ReadOnOff(content, *row.number);
    }
}

// The text the row stores, or false when the row leaves the element alone.
bool ValueToWrite(const SettingBinding& row, std::string& value) {
    const unsigned kind = EffectiveKind(row.kind);
    if (kind == kTextSetting && row.text != nullptr) {
        value = row.writeConverter ? row.writeConverter(*row.text) : *row.text;
        return true;
    }
    if (kind == kIntegerSetting && row.number != nullptr) {
        value = std::to_string(*row.number);
        return true;
    }
    if (kind == kOnOffSetting && row.number != nullptr && (*row.number == 0 || *row.number == 1)) {
        value = *row.number == 1 ? "on" : "off";
        return true;
    }
    return false;
}

// Stored as a text node, never parsed: a password such as "a&b" or "&amp;"
// reaches the gateway exactly as typed. The tree holds UTF-8 only; a stray
// byte would otherwise swallow the characters after it when the tree is sent.
void ReplaceContent(xmlNodePtr element, const std::string& text) {
    const std::string value = ToValidUtf8(text);
    xmlNodeSetContent(element, nullptr);
    xmlNodeAddContentLen(element, reinterpret_cast<const xmlChar*>(value.data()),
                         static_cast<int>(value.size()));
}

template <typename Action>
void ForEachFoundRow(const BindingTable& table, xmlNodePtr groups, Action&& action) {
    for (const SettingBinding& row : table) {
        if (row.path.empty()) {
            return;
        }
        if (xmlNodePtr element = FindSettingElement(row.path, groups)) {
            action(row, element);
        }
    }
}

}  // namespace

xmlNodePtr FindSettingElement(std::string_view path, xmlNodePtr groups) {
    if (path.size() > kMaxSettingPathLength) {
        return nullptr;
    }
    xmlNodePtr current = groups;
    while (true) {
        const std::size_t slash = path.find('/');
        const PathSegment segment = SplitSegment(path.substr(0, slash));
        xmlNodePtr match = MatchAmongSiblings(current, segment);
        if (match == nullptr || (segment.qualified && match->children == nullptr)) {
            return nullptr;
        }
        if (slash == std::string_view::npos) {
            return match;
        }
        current = match->children;
        path.remove_prefix(slash + 1);
    }
}

void ReadSetting(const RevealControl& reveal, const BindingTable& table, xmlNodePtr groups) {
    ForEachFoundRow(table, groups, [&reveal](const SettingBinding& row, xmlNodePtr element) {
        if (row.control != 0 && reveal) {
            reveal(row.control);
        }
        ReadValue(row, element);
    });
}

void WriteSetting(const BindingTable& table, xmlNodePtr groups) {
    ForEachFoundRow(table, groups, [](const SettingBinding& row, xmlNodePtr element) {
        std::string value;
        if (ValueToWrite(row, value)) {
            ReplaceContent(element, value);
        }
    });
}
