#pragma once

#include <libxml/tree.h>

#include <string>

#include "link/ScriptRunner.h"
#include "model/ConfigModel.h"

// The document as the body of a document request: no XML declaration, no final
// newline, attribute values in single quotes, double quotes in text as &quot;.
// Empty for no document.
std::string SerializeForRequest(xmlDocPtr document);

enum class ApplyResult {
    Applied,
    NoDocument  // nothing was held to send, so nothing was sent
};

// Sends the whole settings tree, waits for the gateway to take it into use and
// reloads the tree from a new settings query. A failed query keeps the edited
// tree.
ApplyResult ApplyConfiguration(ScriptRunner& runner, ConfigModel& model);

// The same for the radio settings tree, without the wait.
ApplyResult ApplyRadioConfiguration(ScriptRunner& runner, ConfigModel& model);
