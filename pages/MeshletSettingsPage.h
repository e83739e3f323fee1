#pragma once

#include <functional>
#include <string>

#include "pages/PropertyPage.h"

class MeshletConfigDialog;
class QTreeWidget;
class ScriptRunner;

// "Meshlet Network": the mesh nodes the gateway's radio can reach, found on
// Refresh; a double-click shows a node's settings from the local node
// settings file. Sends no settings and keeps none.
class MeshletSettingsPage : public PropertyPage {
    Q_OBJECT

public:
    enum Column { kNodeId, kNetworkAddress, kExtendedAddress, kNodeType, kProductType };

    // Runs the node dialog; by default modally. Tests look at it instead.
    using DialogRunner = std::function<void(MeshletConfigDialog&)>;

    // The node settings file is looked for in `nodeSettingsDir` (the working
    // directory when empty).
    explicit MeshletSettingsPage(ScriptRunner& runner, std::string nodeSettingsDir = {},
                                 QWidget* parent = nullptr);

    void SetDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }
    QTreeWidget* NodeList() const { return nodes_; }

    // Discovers the nodes into the list, keeping the selected position.
    void Refresh();
    // Shows the selected node's settings; nothing without a selection.
    void OpenNodeDialog();

private:
    int SelectedRow() const;

    ScriptRunner& runner_;
    std::string nodeSettingsDir_;
    DialogRunner runDialog_;
    QTreeWidget* nodes_;
};
