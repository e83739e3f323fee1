#pragma once

#include <libxml/tree.h>

#include <optional>
#include <string>
#include <vector>

// Settings named by their path in a tree, as the pages' binding tables name
// them: "mobile_simple/apn", "mgmtconnection&index=3/connectionEnabled".

// One setting by its path, with its text.
struct SettingValue {
    std::string path;
    std::string value;
};

// Every value the tree holds (the elements holding no element), by the path
// that reads it back, in document order. An element that a path cannot tell
// from an earlier namesake is left out: its path would read the first one.
std::vector<SettingValue> ListSettingPaths(xmlNodePtr groups);

// The value's text, or nothing when the tree has no such element.
std::optional<std::string> ReadSettingPath(xmlNodePtr groups, const std::string& path);

// True when the path names an element that holds elements (a settings group,
// "mobile_simple"): its text is no value, and writing one would replace the
// whole group.
bool NamesSettingsGroup(xmlNodePtr groups, const std::string& path);

// Replaces the value's text; false when the tree has no such element.
bool WriteSettingPath(xmlNodePtr groups, const std::string& path, const std::string& value);

// Splits "PATH=VALUE". The "=" of an index qualifier ("&index=3") belongs to
// the path: the value starts at the first "=" of the last segment without one.
bool SplitAssignment(const std::string& assignment, std::string& path, std::string& value);

// True for the settings that hold a secret (the APN password, the SIM PIN):
// those whose last segment, qualifier aside, is "password" or "pin".
bool IsSecretPath(const std::string& path);
