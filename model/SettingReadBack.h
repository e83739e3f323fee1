#pragma once

#include <libxml/tree.h>

#include <string>
#include <vector>

#include "model/SettingBinding.h"

// A value as it went to the gateway, by its path in the tree.
struct SentSetting {
    std::string path;
    std::string value;
};

// A value the gateway did not keep as sent: what it holds instead (empty when
// it no longer reports the setting).
struct KeptSetting {
    std::string path;
    std::string sent;
    std::string kept;
};

// Writes the table into the tree (WriteSetting) and returns the values that
// this changed, as stored.
std::vector<SentSetting> WriteChangedSettings(const BindingTable& table, xmlNodePtr groups);

// The sent values that `groups`, the tree read back after the apply, does not
// hold as sent.
std::vector<KeptSetting> FindSettingsNotKept(xmlNodePtr groups,
                                             const std::vector<SentSetting>& sent);
