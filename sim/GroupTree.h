#pragma once

#include <libxml/tree.h>

#include <string>

#include "XmlHandle.h"

// A tree of groups (settings, state or radio settings) as the gateway keeps it: the groups are
// the children of the loaded file's root element. The factory defaults are what was loaded.
class GroupTree {
public:
    bool Load(const std::string& path, std::string* error);

    // Copies every group, or only the groups named by the element children of `filter` when it
    // has any, under `parent`.
    void CopyGroupsTo(xmlNode* parent, xmlNode* filter = nullptr) const;
    // Applies the groups of a set_setting request; `reply` receives one element per group with
    // an error element for each refused setting.
    void Apply(xmlNode* request, xmlNode* reply);
    void RestoreDefaults();

    // Text of group/field (first group of that name); empty when absent.
    std::string Value(const std::string& group, const std::string& field) const;
    void SetValue(const std::string& group, const std::string& field, const std::string& text);
    void RemoveGroup(const std::string& group);

private:
    void ApplyFields(const std::string& group, xmlNode* request, xmlNode* stored, xmlNode* reply);
    xmlNode* Root() const;
    xmlNode* FindField(const std::string& group, const std::string& field) const;

    XmlDocPtr current_;
    XmlDocPtr defaults_;
};
