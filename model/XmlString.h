#pragma once

#include <libxml/tree.h>
#include <libxml/xmlmemory.h>

#include <memory>
#include <string>

struct XmlCharFree {
    void operator()(xmlChar* text) const { xmlFree(text); }
};

// Owner for strings libxml2 allocates (xmlGetProp, xmlNodeGetContent,
// xmlDocDumpMemory).
using XmlString = std::unique_ptr<xmlChar, XmlCharFree>;

// The text of an owned string, empty for none.
std::string ToString(const XmlString& text);

// xmlNodeGetContent of `node` as a plain string (empty for none).
std::string NodeContent(const xmlNode* node);

// The attribute's value, or false when the element does not carry it.
bool ReadAttribute(const xmlNode* node, const char* name, std::string& value);
