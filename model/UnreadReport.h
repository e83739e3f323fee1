#pragma once

#include "model/ReplyLoad.h"

class Prompter;

// Tells the user, in one warning box captioned "Configuration not read", which
// configuration documents the gateway sent in a form that could not be read,
// and that the values already shown stay; libxml2's reasons go into the
// details. Says nothing when every reply was read. Called after every reload
// of the settings, state or radio document.
void ReportUnreadReplies(Prompter& prompter, const UnreadReplies& unread);
