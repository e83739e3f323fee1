#include "model/XmlString.h"

#include "model/XmlDocument.h"

std::string ToString(const XmlString& text) {
    return text ? std::string(reinterpret_cast<const char*>(text.get())) : std::string();
}

std::string NodeContent(const xmlNode* node) {
    if (node == nullptr) {
        return {};
    }
    return ToString(XmlString(xmlNodeGetContent(node)));
}

bool ReadAttribute(const xmlNode* node, const char* name, std::string& value) {
    XmlString text(xmlGetProp(node, reinterpret_cast<const xmlChar*>(name)));
    if (!text) {
        return false;
    }
    value = ToString(text);
    return true;
}
