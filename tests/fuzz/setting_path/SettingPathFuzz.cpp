// Path access on a loaded settings tree: read every row, write the values back unchanged,
// serialise the tree for a request and parse it again. Input: rows, one a line, each a kind
// letter (t text, i integer, o on/off) and a path; an empty line; then the settings reply.
// Nothing a row does may change a value it did not edit, and the request must carry the tree
// exactly.

#include <deque>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "model/ConfigApply.h"
#include "model/ConfigModel.h"
#include "model/SettingBinding.h"
#include "model/XmlDocument.h"
#include "model/XmlString.h"

namespace {

unsigned KindOf(char letter) {
    switch (letter) {
        case 'i':
            return kIntegerSetting;
        case 'o':
            return kOnOffSetting;
        default:
            return kTextSetting;
    }
}

// Rows whose targets live in `texts` and `numbers` (deques: appending keeps addresses).
struct Rows {
    BindingTable table;
    std::deque<std::string> texts;
    std::deque<int> numbers;

    Rows(std::string_view lines) {
        while (!lines.empty()) {
            const std::string_view line = TakeUntil(lines, "\n");
            if (line.size() < 2) {
                continue;
            }
            texts.emplace_back();
            numbers.push_back(-1);
            table.push_back({std::string(line.substr(1)),
                             &texts.back(),
                             &numbers.back(),
                             0,
                             nullptr,
                             KindOf(line.front()),
                             {},
                             {}});
        }
    }

    // The values as read from `groups`, one line per row.
    std::vector<std::string> Read(xmlNodePtr groups) {
        ReadSetting({}, table, groups);
        std::vector<std::string> values;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            values.push_back(texts[i] + '\n' + std::to_string(numbers[i]));
        }
        return values;
    }
};

// Every value of the tree in document order: element names, attributes, and the text of each
// run of text and CDATA (comments and instructions are not values).
void Describe(xmlNodePtr node, std::string& out) {
    std::string run;
    for (; node != nullptr; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            run += NodeContent(node);
            continue;
        }
        if (node->type != XML_ELEMENT_NODE) {
            continue;
        }
        out += "[" + run + "]<" + reinterpret_cast<const char*>(node->name);
        run.clear();
        for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next) {
            std::string value;
            const char* name = reinterpret_cast<const char*>(attribute->name);
            ReadAttribute(node, name, value);
            out += std::string(" ") + name + "=[" + value + "]";
        }
        out += ">";
        Describe(node->children, out);
        out += "</>";
    }
    out += "[" + run + "]";
}

// The element of `copy` standing where `element`, a child of the root, stands in its tree.
xmlNodePtr Counterpart(xmlNodePtr element, xmlDocPtr copy) {
    std::size_t position = 0;
    for (xmlNodePtr node = element->prev; node != nullptr; node = node->prev) {
        position += node->type == XML_ELEMENT_NODE ? 1 : 0;
    }
    for (xmlNodePtr node = xmlDocGetRootElement(copy)->children; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && position-- == 0) {
            return node;
        }
    }
    return nullptr;
}

std::string Describe(xmlDocPtr document) {
    std::string out;
    Describe(xmlDocGetRootElement(document), out);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input = FuzzText(data, size);
    Rows rows(TakeUntil(input, "\n\n"));
    ConfigModel model;
    model.LoadSettingsReply(input);
    if (model.SettingsGroups() == nullptr) {
        return 0;
    }
    rows.Read(model.SettingsGroups());
    WriteSetting(rows.table, model.SettingsGroups());
    const std::vector<std::string> written = rows.Read(model.SettingsGroups());

    const XmlDocument sent(ParseXmlText(SerializeForRequest(model.SettingsDocument()), "sent"));
    FuzzCheck(sent != nullptr, "the request is well-formed");
    FuzzCheck(Describe(sent.get()) == Describe(model.SettingsDocument()),
              "the request carries every value of the tree");
    xmlNodePtr setSetting = Counterpart(model.SettingsGroups()->parent, sent.get());
    FuzzCheck(rows.Read(setSetting->children) == written, "every row reads back what it wrote");
    return 0;
}
