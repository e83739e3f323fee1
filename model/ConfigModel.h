#pragma once

#include <libxml/tree.h>

#include <string_view>

#include "model/ModelTree.h"
#include "model/ReplyLoad.h"

// The gateway's settings, state and radio settings trees, loaded from query
// replies. UI thread only.
class ConfigModel {
public:
    // No documents, no group lists, radio present.
    void Reset();

    // A settings query reply becomes the set_setting request that sends the
    // same settings back. Always loaded; a reply that does not parse leaves no
    // document and the previous group list, and comes back as unread. A reply
    // that parses but holds no query_setting (the answer to another command,
    // arriving late) changes nothing and comes back as unread.
    ReplyLoad LoadSettingsReply(std::string_view reply);
    // Always loaded, like LoadSettingsReply; a reply without query_state
    // changes nothing and comes back as unread.
    ReplyLoad LoadStateReply(std::string_view reply);
    // Not loaded when the gateway says it has no radio (radioPresent is
    // cleared, nothing else changes) or the reply holds no document, or no
    // do_command with a query_setting (unread; a parsed reply of another form
    // changes nothing).
    ReplyLoad LoadRadioSettingsReply(std::string_view reply);

    xmlDocPtr SettingsDocument() const { return settings_.Document(); }
    xmlNodePtr SettingsGroups() const { return settings_.Groups(); }
    xmlDocPtr StateDocument() const { return state_.Document(); }
    xmlNodePtr StateGroups() const { return state_.Groups(); }
    xmlDocPtr RadioSettingsDocument() const { return radio_.Document(); }
    xmlNodePtr RadioGroups() const { return radio_.Groups(); }
    bool RadioPresent() const { return radioPresent_; }
    // Changes whenever the settings tree is replaced or cleared, so a page can
    // tell a new tree from the one it last read.
    unsigned SettingsRevision() const { return settingsRevision_; }

private:
    ModelTree settings_;
    ModelTree state_;
    ModelTree radio_;
    bool radioPresent_ = true;
    unsigned settingsRevision_ = 0;
};
