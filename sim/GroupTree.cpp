#include "GroupTree.h"

#include "SettingRules.h"

namespace {

// Same element name and, when the request names one, the same index.
xmlNode* FindMatching(xmlNode* parent, const xmlNode* wanted) {
    const std::string index = NodeAttribute(wanted, "index");
    for (xmlNode* node = FirstElement(parent); node; node = NextElement(node)) {
        if (NodeName(node) == NodeName(wanted) &&
            (index.empty() || NodeAttribute(node, "index") == index)) {
            return node;
        }
    }
    return nullptr;
}

}  // namespace

bool GroupTree::Load(const std::string& path, std::string* error) {
    defaults_ = ParseXmlFile(path);
    if (!defaults_ || !xmlDocGetRootElement(defaults_.get())) {
        *error = "cannot load " + path;
        return false;
    }
    RestoreDefaults();
    return true;
}

void GroupTree::RestoreDefaults() {
    current_.reset(xmlCopyDoc(defaults_.get(), 1));
}

xmlNode* GroupTree::Root() const {
    return xmlDocGetRootElement(current_.get());
}

void GroupTree::CopyGroupsTo(xmlNode* parent, xmlNode* filter) const {
    const bool all = FirstElement(filter) == nullptr;
    for (xmlNode* group = FirstElement(Root()); group; group = NextElement(group)) {
        bool wanted = all;
        for (xmlNode* name = FirstElement(filter); name && !wanted; name = NextElement(name)) {
            wanted = NodeName(name) == NodeName(group);
        }
        if (wanted) {
            xmlAddChild(parent, xmlDocCopyNode(group, parent->doc, 1));
        }
    }
}

void GroupTree::Apply(xmlNode* request, xmlNode* reply) {
    for (xmlNode* group = FirstElement(request); group; group = NextElement(group)) {
        xmlNode* echo = AppendEcho(reply, group);
        xmlNode* stored = FindMatching(Root(), group);
        if (!stored) {
            AppendError(echo, NodeName(group), "Unknown settings group");
            continue;
        }
        ApplyFields(NodeName(group), group, stored, echo);
    }
}

void GroupTree::ApplyFields(const std::string& group, xmlNode* request, xmlNode* stored,
                            xmlNode* reply) {
    for (xmlNode* field = FirstElement(request); field; field = NextElement(field)) {
        const std::string name = NodeName(field);
        xmlNode* target = FindMatching(stored, field);
        if (!target) {
            AppendError(reply, name, "Unknown setting");
            continue;
        }
        const bool nested = FirstElement(target) != nullptr;
        if (nested != (FirstElement(field) != nullptr)) {
            AppendError(reply, name, "Invalid value");
        } else if (nested) {
            ApplyFields(group, field, target, reply);
        } else if (auto value = SettingRules::Check(group, name, NodeText(field))) {
            SetNodeText(target, *value);
        } else {
            AppendError(reply, name, "Invalid value");
        }
    }
}

xmlNode* GroupTree::FindField(const std::string& group, const std::string& field) const {
    for (xmlNode* node = FirstElement(Root()); node; node = NextElement(node)) {
        if (NodeName(node) != group) {
            continue;
        }
        for (xmlNode* child = FirstElement(node); child; child = NextElement(child)) {
            if (NodeName(child) == field) {
                return child;
            }
        }
        return nullptr;
    }
    return nullptr;
}

std::string GroupTree::Value(const std::string& group, const std::string& field) const {
    const xmlNode* node = FindField(group, field);
    return node ? NodeText(node) : std::string();
}

void GroupTree::SetValue(const std::string& group, const std::string& field,
                         const std::string& text) {
    if (xmlNode* node = FindField(group, field)) {
        SetNodeText(node, text);
    }
}

void GroupTree::RemoveGroup(const std::string& group) {
    for (xmlNode* node = FirstElement(Root()); node; node = NextElement(node)) {
        if (NodeName(node) == group) {
            xmlUnlinkNode(node);
            xmlFreeNode(node);
            return;
        }
    }
}
