#pragma once

#include <libxml/tree.h>

#include <string_view>

// True when the node has the given libxml2 type and its name equals `name`,
// ignoring ASCII case.
bool IsNamedNode(const xmlNode* node, int type, std::string_view name);

// The first child of `parent` with that type (1 = element) and name (ASCII
// case ignored); nullptr when `parent` is nullptr or has no such child.
xmlNodePtr FindChildElement(xmlNodePtr parent, int type, std::string_view name);

// The same search over the siblings following `node` (not `node` itself);
// nullptr for no node.
xmlNodePtr FindNextElement(xmlNodePtr node, int type, std::string_view name);
