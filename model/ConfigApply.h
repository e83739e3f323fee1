#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "link/ScriptRunner.h"
#include "model/ConfigModel.h"
#include "model/ReplyLoad.h"

// The document as the body of a document request: no final newline, attribute
// values in single quotes, double quotes in text as &quot;. The serialiser's
// plain declaration is dropped; one that names an encoding stays, so that the
// gateway learns how the bytes after it are encoded. The request travels as
// text inside a command, so a document read in an encoding whose markup is not
// ASCII bytes (UTF-16, UCS-4) goes out as UTF-8. Empty for no document.
std::string SerializeForRequest(xmlDocPtr document);

// Bytes of the gateway's reply to `query` when it reports `document`: its echo
// of the query, the document escaped as the gateway writes it (UTF-8, markup
// characters as references) and the status lines.
std::size_t EstimateQueryReplyBytes(xmlDocPtr document, std::string_view query);

struct ApplyResult {
    bool sent = true;       // false: nothing was sent (no document, or too large)
    bool tooLarge = false;  // the reply reporting the document would not fit its buffer
    bool reloaded = false;  // the query's reply came back and was loaded
    UnreadReplies unread;   // the reloaded reply, when it could not be read
};

// Sends the whole settings tree, waits for the gateway to take it into use and
// reloads the tree from a new settings query. A failed query keeps the edited
// tree. A tree whose reply would not fit the reply buffer is not sent: the
// gateway would keep it, and no later query could read the gateway again.
ApplyResult ApplyConfiguration(ScriptRunner& runner, ConfigModel& model);

// The same, but the request holds only the values at `paths` of the edited
// tree (CopySettingsSubset), so that the gateway is sent only what changes;
// the size check still weighs the whole tree its reply will report. Nothing
// is sent when the tree holds none of the paths.
ApplyResult ApplyConfigurationChanges(ScriptRunner& runner, ConfigModel& model,
                                      const std::vector<std::string>& paths);

// The same for the radio settings tree, without the wait.
ApplyResult ApplyRadioConfiguration(ScriptRunner& runner, ConfigModel& model);
