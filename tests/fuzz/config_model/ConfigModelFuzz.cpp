// The settings, state and radio reply loaders. Input: a reply, loaded into every tree; then a
// second reply (the first half of the input) loaded over it, as a reload after an apply does.

#include <string>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "model/ConfigApply.h"
#include "model/ConfigModel.h"
#include "model/XmlDocument.h"

namespace {

// Touches every node the group list reaches, so that a list left pointing into a freed tree
// is reported by the address sanitizer.
std::size_t CountGroups(xmlNodePtr groups) {
    std::size_t count = 0;
    for (xmlNodePtr node = groups; node != nullptr; node = node->next) {
        count += node->name != nullptr ? 1 : 0;
    }
    return count;
}

void LoadAll(ConfigModel& model, std::string_view reply) {
    model.LoadSettingsReply(reply);
    model.LoadStateReply(reply);
    model.LoadRadioSettingsReply(reply);
    CountGroups(model.SettingsGroups());
    CountGroups(model.StateGroups());
    CountGroups(model.RadioGroups());
}

// A tree the gateway sent is sent back as a request the gateway can read.
void CheckRequest(xmlDocPtr document) {
    if (document == nullptr) {
        return;
    }
    const std::string request = SerializeForRequest(document);
    FuzzCheck(ParseXmlText(request, "request.xml") != nullptr,
              "a loaded tree serialises to a well-formed request");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply = FuzzText(data, size);
    ConfigModel model;
    LoadAll(model, reply);
    CheckRequest(model.SettingsDocument());
    CheckRequest(model.RadioSettingsDocument());
    LoadAll(model, reply.substr(0, reply.size() / 2));
    return 0;
}
