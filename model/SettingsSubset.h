#pragma once

#include <libxml/tree.h>

#include <string>
#include <vector>

#include "model/XmlDocument.h"

// A copy of a settings request that holds only the values at `paths` (setting
// paths from `groups`, the document's group list), with the groups and the
// index attributes that lead to them: the gateway then takes those values and
// leaves every other setting as it is. Paths the document lacks are left out;
// no document when it holds none of them.
XmlDocument CopySettingsSubset(xmlDocPtr document, xmlNodePtr groups,
                               const std::vector<std::string>& paths);
