#include "model/ModelTree.h"

#include <utility>

void ModelTree::ReplaceDocument(XmlDocument document) {
    document_ = SharedXmlDocument(std::move(document));
}

void ModelTree::SetGroups(xmlNodePtr groups) {
    groups_ = groups;
    groupsOwner_ = document_;
}

void ModelTree::Clear() {
    groups_ = nullptr;
    groupsOwner_.reset();
    document_.reset();
}
