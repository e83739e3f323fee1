#include "XmlHandle.h"

#include <libxml/parser.h>

namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

XmlDocPtr RefuseDtd(XmlDocPtr doc) {
    if (doc && xmlGetIntSubset(doc.get()) != nullptr) {
        return nullptr;
    }
    return doc;
}

}  // namespace

XmlDocPtr ParseXml(const std::string& text, bool keepBlanks) {
    const int options = kParseOptions | (keepBlanks ? 0 : XML_PARSE_NOBLANKS);
    return RefuseDtd(XmlDocPtr(xmlReadMemory(text.data(), static_cast<int>(text.size()),
                                             "request.xml", nullptr, options)));
}

XmlDocPtr ParseXmlFile(const std::string& path) {
    return RefuseDtd(
        XmlDocPtr(xmlReadFile(path.c_str(), nullptr, kParseOptions | XML_PARSE_NOBLANKS)));
}

std::string NodeName(const xmlNode* node) {
    return node && node->name ? reinterpret_cast<const char*>(node->name) : "";
}

std::string NodeText(const xmlNode* node) {
    XmlCharPtr text(xmlNodeGetContent(node));
    return text ? reinterpret_cast<const char*>(text.get()) : "";
}

std::string NodeAttribute(const xmlNode* node, const char* name) {
    XmlCharPtr value(xmlGetProp(node, reinterpret_cast<const xmlChar*>(name)));
    return value ? reinterpret_cast<const char*>(value.get()) : "";
}

void SetNodeText(xmlNode* node, const std::string& text) {
    xmlNodeSetContent(node, nullptr);
    xmlNodeAddContentLen(node, reinterpret_cast<const xmlChar*>(text.data()),
                         static_cast<int>(text.size()));
}

std::string DumpNode(xmlDoc* doc, xmlNode* node, int level) {
    XmlBufferPtr buffer(xmlBufferCreate());
    xmlNodeDump(buffer.get(), doc, node, level, 1);
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                       static_cast<size_t>(xmlBufferLength(buffer.get())));
}

bool IsElement(const xmlNode* node) {
    return node && node->type == XML_ELEMENT_NODE;
}

xmlNode* FirstElement(xmlNode* node) {
    for (xmlNode* child = node ? node->children : nullptr; child; child = child->next) {
        if (IsElement(child)) {
            return child;
        }
    }
    return nullptr;
}

xmlNode* NextElement(xmlNode* node) {
    for (xmlNode* sibling = node ? node->next : nullptr; sibling; sibling = sibling->next) {
        if (IsElement(sibling)) {
            return sibling;
        }
    }
    return nullptr;
}

xmlNode* AppendEcho(xmlNode* parent, const xmlNode* request) {
    xmlNode* echo = xmlNewChild(parent, nullptr, request->name, nullptr);
    for (const xmlAttr* attribute = request->properties; attribute; attribute = attribute->next) {
        const std::string name = NodeName(reinterpret_cast<const xmlNode*>(attribute));
        xmlNewProp(echo, attribute->name,
                   reinterpret_cast<const xmlChar*>(NodeAttribute(request, name.c_str()).c_str()));
    }
    return echo;
}

void AppendError(xmlNode* parent, const std::string& field, const std::string& description) {
    xmlNode* error =
        xmlNewChild(parent, nullptr, reinterpret_cast<const xmlChar*>("error"), nullptr);
    if (!field.empty()) {
        xmlNewProp(error, reinterpret_cast<const xmlChar*>("field"),
                   reinterpret_cast<const xmlChar*>(field.c_str()));
    }
    xmlNewTextChild(error, nullptr, reinterpret_cast<const xmlChar*>("desc"),
                    reinterpret_cast<const xmlChar*>(description.c_str()));
}
