#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string>

// Owners for the libxml2 objects the simulated gateway creates.
struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct XmlCharFree {
    void operator()(xmlChar* text) const { xmlFree(text); }
};
struct XmlBufferFree {
    void operator()(xmlBuffer* buffer) const { xmlBufferFree(buffer); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocFree>;
using XmlCharPtr = std::unique_ptr<xmlChar, XmlCharFree>;
using XmlBufferPtr = std::unique_ptr<xmlBuffer, XmlBufferFree>;

// Parses a document from memory without network access; documents that declare a DTD
// are refused so that an entity cannot blow a small request up into a huge tree.
XmlDocPtr ParseXml(const std::string& text, bool keepBlanks);
XmlDocPtr ParseXmlFile(const std::string& path);

std::string NodeName(const xmlNode* node);
std::string NodeText(const xmlNode* node);
std::string NodeAttribute(const xmlNode* node, const char* name);
// Replaces the node's content by literal text (no entity references are interpreted).
void SetNodeText(xmlNode* node, const std::string& text);
// Serialises one element with indentation, as the gateway prints its replies.
std::string DumpNode(xmlDoc* doc, xmlNode* node, int level = 0);
bool IsElement(const xmlNode* node);
// Adds an element named and attributed like `request`, as replies echo their request.
xmlNode* AppendEcho(xmlNode* parent, const xmlNode* request);
// Adds <error field="..."><desc>...</desc></error>; no field attribute when `field` is empty.
void AppendError(xmlNode* parent, const std::string& field, const std::string& description);
// First element child (or following sibling element) regardless of name.
xmlNode* FirstElement(xmlNode* node);
xmlNode* NextElement(xmlNode* node);
