#include "model/SettingsSubset.h"

#include <set>

#include "model/SettingBinding.h"

namespace {

using NodeSet = std::set<xmlNodePtr>;

// Each value element named by a path, with every ancestor up to the document.
NodeSet NodesToKeep(xmlNodePtr groups, const std::vector<std::string>& paths) {
    NodeSet keep;
    for (const std::string& path : paths) {
        for (xmlNodePtr node = FindSettingElement(path, groups);
             node != nullptr && node->type == XML_ELEMENT_NODE; node = node->parent)
            keep.insert(node);
    }
    return keep;
}

bool HoldsElements(xmlNodePtr node) {
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            return true;
    }
    return false;
}

// Walks the original and its copy side by side (xmlCopyDoc keeps the order of
// every node) and drops from the copy what is not kept. Inside a kept value
// everything stays; a kept element that holds elements keeps only those.
void Prune(xmlNodePtr original, xmlNodePtr copy, const NodeSet& keep) {
    if (!HoldsElements(original))
        return;
    xmlNodePtr from = original->children;
    xmlNodePtr to = copy->children;
    while (from != nullptr && to != nullptr) {
        xmlNodePtr next = to->next;
        if (keep.contains(from)) {
            Prune(from, to, keep);
        } else {
            xmlUnlinkNode(to);
            xmlFreeNode(to);
        }
        from = from->next;
        to = next;
    }
}

}  // namespace

XmlDocument CopySettingsSubset(xmlDocPtr document, xmlNodePtr groups,
                               const std::vector<std::string>& paths) {
    const xmlNodePtr root = xmlDocGetRootElement(document);
    const NodeSet keep = NodesToKeep(groups, paths);
    // Nothing found is no document: the whole request would change everything.
    if (root == nullptr || !keep.contains(root))
        return {};
    XmlDocument copy(xmlCopyDoc(document, 1));
    if (copy)
        Prune(root, xmlDocGetRootElement(copy.get()), keep);
    return copy;
}
