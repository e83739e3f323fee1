#include "model/ProviderDatabase.h"

#include <algorithm>
#include <iterator>

#include "model/ElementSearch.h"
#include "model/XmlDocument.h"
#include "model/XmlString.h"

namespace {

constexpr int kElement = XML_ELEMENT_NODE;

// The element children of `parent` named `name`.
std::vector<xmlNodePtr> Children(xmlNodePtr parent, std::string_view name) {
    std::vector<xmlNodePtr> found;
    for (xmlNodePtr node = FindChildElement(parent, kElement, name); node != nullptr;
         node = FindNextElement(node, kElement, name))
        found.push_back(node);
    return found;
}

std::string Attribute(xmlNodePtr node, const char* name) {
    std::string value;
    ReadAttribute(node, name, value);
    return value;
}

// A name may be given in several languages: the one without a language
// attribute is the provider's own, else the first.
std::string NameOf(xmlNodePtr parent) {
    const std::vector<xmlNodePtr> names = Children(parent, "name");
    for (xmlNodePtr name : names) {
        const XmlString language(
            xmlGetNsProp(name, reinterpret_cast<const xmlChar*>("lang"), XML_XML_NAMESPACE));
        if (!language)
            return NodeContent(name);
    }
    return names.empty() ? std::string() : NodeContent(names.front());
}

std::string ChildText(xmlNodePtr parent, std::string_view name) {
    return NodeContent(FindChildElement(parent, kElement, name));
}

// An access point without a usage is a data one; otherwise one of its
// usages must name internet (MMS and others are not for data).
bool IsForInternet(xmlNodePtr apn) {
    const std::vector<xmlNodePtr> usages = Children(apn, "usage");
    return usages.empty() || std::ranges::any_of(usages, [](xmlNodePtr usage) {
               return Attribute(usage, "type").find("internet") != std::string::npos;
           });
}

std::string Plans(xmlNodePtr apn) {
    std::string plans;
    for (xmlNodePtr plan : Children(apn, "plan"))
        plans += (plans.empty() ? "" : "/") + Attribute(plan, "type");
    return plans;
}

std::vector<std::string> Networks(xmlNodePtr gsm) {
    std::vector<std::string> networks;
    for (xmlNodePtr id : Children(gsm, "network-id")) {
        const std::string code = Attribute(id, "mcc") + Attribute(id, "mnc");
        if (IsNetworkCode(code))
            networks.push_back(code);
    }
    return networks;
}

void ReadProvider(xmlNodePtr provider, const std::string& country,
                  std::vector<ApnPreset>& presets) {
    xmlNodePtr gsm = FindChildElement(provider, kElement, "gsm");
    if (gsm == nullptr)
        return;  // a CDMA provider has no access points
    const std::string name = NameOf(provider);
    const std::vector<std::string> networks = Networks(gsm);
    for (xmlNodePtr apn : Children(gsm, "apn")) {
        const std::string value = Attribute(apn, "value");
        if (value.empty() || !IsForInternet(apn))
            continue;
        const std::string own = NameOf(apn);
        presets.push_back({country, name, own.empty() ? value : own, value,
                           ChildText(apn, "username"), ChildText(apn, "password"), Plans(apn),
                           networks});
    }
}

// The access points of every country's providers; `reason` says why there
// are none.
std::vector<ApnPreset> ReadPresets(const std::string& path, std::string& reason) {
    std::vector<ApnPreset> presets;
    const XmlDocument document = ParseDataFile(path, reason);
    if (!document)
        return presets;
    xmlNodePtr root = xmlDocGetRootElement(document.get());
    if (!IsNamedNode(root, kElement, "serviceproviders")) {
        reason = "it is not a provider database";
        return presets;
    }
    for (xmlNodePtr country : Children(root, "country")) {
        const std::string code = Attribute(country, "code");
        for (xmlNodePtr provider : Children(country, "provider"))
            ReadProvider(provider, code, presets);
    }
    if (presets.empty())
        reason = "it lists no access point";
    return presets;
}

}  // namespace

bool ProviderDatabase::Load(const std::string& path) {
    std::string reason;
    presets_ = ReadPresets(path, reason);
    problem_.clear();
    if (presets_.empty())
        problem_ = "The provider database " + path + " cannot be used: " + reason +
                   ". The package mobile-broadband-provider-info provides it.";
    return !presets_.empty();
}

std::vector<ApnPreset> ProviderDatabase::ForNetwork(std::string_view mccmnc) const {
    std::vector<ApnPreset> found;
    std::ranges::copy_if(presets_, std::back_inserter(found), [mccmnc](const ApnPreset& preset) {
        return std::ranges::find(preset.networks, mccmnc) != preset.networks.end();
    });
    return found;
}

std::vector<ApnPreset> ProviderDatabase::ForImsi(std::string_view imsi) const {
    for (const std::size_t digits : {6u, 5u}) {
        if (imsi.size() <= digits || !IsNetworkCode(imsi.substr(0, digits)))
            continue;
        std::vector<ApnPreset> found = ForNetwork(imsi.substr(0, digits));
        if (!found.empty())
            return found;
    }
    return {};
}

const ProviderDatabase& ProviderDatabase::Installed() {
    static const ProviderDatabase installed = [] {
        ProviderDatabase database;
        database.Load(kInstalledPath);
        return database;
    }();
    return installed;
}

bool IsNetworkCode(std::string_view text) {
    return (text.size() == 5 || text.size() == 6) &&
           text.find_first_not_of("0123456789") == std::string_view::npos;
}
