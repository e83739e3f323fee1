#pragma once

#include <libxml/tree.h>

#include "model/XmlDocument.h"

// One tree of the model: the current document and the group list the pages
// search from. A failed reload leaves the group list pointing into an earlier
// document; that document stays alive until the group list moves on.
class ModelTree {
public:
    // Stores the document (possibly none); the group list is left as it was.
    void ReplaceDocument(XmlDocument document);
    // Points the group list at `groups`, a node of the current document (or
    // nullptr), releasing the document the old list pointed into.
    void SetGroups(xmlNodePtr groups);
    void Clear();

    xmlDocPtr Document() const { return document_.get(); }
    xmlNodePtr Groups() const { return groups_; }

private:
    SharedXmlDocument document_;
    SharedXmlDocument groupsOwner_;
    xmlNodePtr groups_ = nullptr;
};
