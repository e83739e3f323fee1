#include "pages/MeshletSettingsPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "model/NodeDiscovery.h"
#include "model/NodeSettingsFile.h"
#include "pages/MeshletConfigDialog.h"

MeshletSettingsPage::MeshletSettingsPage(ScriptRunner& runner, std::string nodeSettingsDir,
                                         QWidget* parent)
    : PropertyPage(QStringLiteral("Meshlet Network"), parent),
      runner_(runner),
      nodeSettingsDir_(std::move(nodeSettingsDir)),
      runDialog_([](MeshletConfigDialog& dialog) { dialog.exec(); }),
      nodes_(new QTreeWidget(this)) {
    nodes_->setObjectName(QStringLiteral("nodes"));
    nodes_->setAccessibleName(QStringLiteral("Mesh nodes"));
    nodes_->header()->setAccessibleName(QStringLiteral("Mesh node columns"));
    nodes_->setHeaderLabels({QStringLiteral("Node ID"), QStringLiteral("Network Address"),
                             QStringLiteral("Extended Address"), QStringLiteral("Node Type"),
                             QStringLiteral("Product Type")});
    nodes_->setRootIsDecorated(false);
    nodes_->setSelectionMode(QAbstractItemView::SingleSelection);
    nodes_->setSelectionBehavior(QAbstractItemView::SelectRows);
    const int widths[] = {120, 120, 180, 100, 100};
    for (int column = kNodeId; column <= kProductType; ++column)
        nodes_->setColumnWidth(column, widths[column]);
    connect(nodes_, &QTreeWidget::itemDoubleClicked, this, &MeshletSettingsPage::OpenNodeDialog);

    auto* refresh = new QPushButton(QStringLiteral("Refresh"), this);
    connect(refresh, &QPushButton::clicked, this, &MeshletSettingsPage::Refresh);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(refresh);
    buttonRow->addStretch();
    auto* page = new QVBoxLayout(this);
    page->addWidget(nodes_);
    page->addLayout(buttonRow);
}

int MeshletSettingsPage::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = nodes_->selectedItems();
    return selected.isEmpty() ? -1 : nodes_->indexOfTopLevelItem(selected.front());
}

void MeshletSettingsPage::Refresh() {
    const std::vector<DiscoveredNode> found =
        DiscoverNodes(runner_).value_or(std::vector<DiscoveredNode>{});
    const int selected = SelectedRow();
    nodes_->setUpdatesEnabled(false);
    nodes_->clear();
    for (const DiscoveredNode& node : found) {
        auto* item = new QTreeWidgetItem(nodes_);
        item->setText(kNodeId, QString::fromStdString(node.nodeId));
        item->setText(kNetworkAddress, QString::fromStdString(node.networkAddress));
        item->setText(kExtendedAddress, QString::fromStdString(node.extendedAddress));
        item->setText(kNodeType, QString::fromStdString(node.nodeType));
        item->setText(kProductType, QString::fromStdString(node.productType));
        // Info tips: a value cut off by its column can still be read whole.
        for (int column = kNodeId; column <= kProductType; ++column)
            item->setToolTip(column, item->text(column));
        item->setData(kNodeId, Qt::UserRole, QString::fromStdString(node.extendedAddress));
    }
    if (selected >= 0 && selected < nodes_->topLevelItemCount()) {
        QTreeWidgetItem* item = nodes_->topLevelItem(selected);
        nodes_->setCurrentItem(item);
        item->setSelected(true);
    }
    for (int column = kNodeId; column <= kProductType; ++column)
        nodes_->resizeColumnToContents(column);
    nodes_->setUpdatesEnabled(true);
}

void MeshletSettingsPage::OpenNodeDialog() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    const std::string address =
        nodes_->topLevelItem(row)->data(kNodeId, Qt::UserRole).toString().toStdString();
    const std::filesystem::path file =
        std::filesystem::path(nodeSettingsDir_) / kNodeSettingsFileName;
    MeshletConfigDialog dialog(this);
    dialog.Show(ReadNodeSettingsFile(file.string()), address);
    runDialog_(dialog);
}
