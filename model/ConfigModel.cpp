#include "model/ConfigModel.h"

#include <libxml/tree.h>

#include "model/ElementSearch.h"
#include "model/ReplyText.h"
#include "model/RequestDocuments.h"
#include "model/XmlDocument.h"

namespace {

constexpr int kElement = XML_ELEMENT_NODE;

void Rename(xmlNodePtr node, const char* name) {
    xmlNodeSetName(node, reinterpret_cast<const xmlChar*>(name));
}

// The element that holds the groups, or nullptr when the reply has none.
xmlNodePtr FindGroupHolder(xmlDocPtr document, std::string_view name) {
    return FindChildElement(xmlDocGetRootElement(document), kElement, name);
}

// Turns a query_setting element into the set_setting that sends its groups
// back, and makes its groups the tree's group list.
void AdoptSettingGroups(ModelTree& tree, xmlNodePtr querySetting) {
    if (querySetting != nullptr) {
        Rename(querySetting, "set_setting");
        tree.SetGroups(querySetting->children);
    }
}

// The complaint for a reply that gave no document.
std::optional<UnreadReply> Unread(xmlDocPtr document, const char* name, std::string& reason) {
    if (document != nullptr) {
        return std::nullopt;
    }
    return UnreadReply{name, std::move(reason)};
}

// The complaint for a reply that parsed but is not the answer asked for: a
// late reply to an earlier command. The tree keeps what it held.
UnreadReply Foreign(const char* name, std::string_view element) {
    return UnreadReply{name, "The reply holds no " + std::string(element) +
                                 " element: it answers another command."};
}

}  // namespace

void ConfigModel::Reset() {
    settings_.Clear();
    ++settingsRevision_;
    state_.Clear();
    radio_.Clear();
    radioPresent_ = true;
}

ReplyLoad ConfigModel::LoadSettingsReply(std::string_view reply) {
    std::string reason;
    XmlDocument parsed = ParseXmlText(TrimReply(reply), "setting.xml", &reason);
    if (parsed && FindGroupHolder(parsed.get(), "query_setting") == nullptr) {
        return {true, Foreign(kSettingsDocumentName, "query_setting")};
    }
    settings_.ReplaceDocument(std::move(parsed));
    ++settingsRevision_;
    if (xmlDocPtr document = settings_.Document()) {
        Rename(xmlDocGetRootElement(document), "rci_request");
        AdoptSettingGroups(settings_, FindGroupHolder(document, "query_setting"));
    }
    return {true, Unread(settings_.Document(), kSettingsDocumentName, reason)};
}

ReplyLoad ConfigModel::LoadStateReply(std::string_view reply) {
    std::string reason;
    XmlDocument parsed = ParseXmlText(TrimReply(reply), "state.xml", &reason);
    if (parsed && FindGroupHolder(parsed.get(), "query_state") == nullptr) {
        return {true, Foreign(kStateDocumentName, "query_state")};
    }
    state_.ReplaceDocument(std::move(parsed));
    if (xmlDocPtr document = state_.Document()) {
        if (xmlNodePtr queryState = FindGroupHolder(document, "query_state")) {
            state_.SetGroups(queryState->children);
        }
    }
    return {true, Unread(state_.Document(), kStateDocumentName, reason)};
}

ReplyLoad ConfigModel::LoadRadioSettingsReply(std::string_view reply) {
    const std::string_view trimmed = TrimReply(reply);
    if (trimmed.find(kNoRadioReply) != std::string_view::npos) {
        radioPresent_ = false;
        return {false, std::nullopt};
    }
    std::string reason;
    XmlDocument parsed = ParseXmlText(trimmed, "meshletsetting.xml", &reason);
    if (parsed && FindChildElement(FindGroupHolder(parsed.get(), "do_command"), kElement,
                                   "query_setting") == nullptr) {
        return {false, Foreign(kRadioDocumentName, "query_setting")};
    }
    radio_.ReplaceDocument(std::move(parsed));
    xmlDocPtr document = radio_.Document();
    if (document == nullptr) {
        return {false, Unread(document, kRadioDocumentName, reason)};
    }
    Rename(xmlDocGetRootElement(document), "rci_request");
    xmlNodePtr command = FindGroupHolder(document, "do_command");
    AdoptSettingGroups(radio_, FindChildElement(command, kElement, "query_setting"));
    return {};
}
