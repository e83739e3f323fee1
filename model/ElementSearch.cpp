#include "model/ElementSearch.h"

#include "link/AsciiText.h"

namespace {

xmlNodePtr FindFrom(xmlNodePtr node, int type, std::string_view name) {
    for (; node != nullptr; node = node->next) {
        if (IsNamedNode(node, type, name)) {
            return node;
        }
    }
    return nullptr;
}

}  // namespace

bool IsNamedNode(const xmlNode* node, int type, std::string_view name) {
    return node != nullptr && static_cast<int>(node->type) == type && node->name != nullptr &&
           EqualsIgnoringAsciiCase(reinterpret_cast<const char*>(node->name), name);
}

xmlNodePtr FindChildElement(xmlNodePtr parent, int type, std::string_view name) {
    return parent == nullptr ? nullptr : FindFrom(parent->children, type, name);
}

xmlNodePtr FindNextElement(xmlNodePtr node, int type, std::string_view name) {
    return node == nullptr ? nullptr : FindFrom(node->next, type, name);
}
