#include "pages/MeshletConfigDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/ChoiceList.h"
#include "model/NodeSettingsFile.h"
#include "model/PowerLevel.h"
#include "pages/KeyboardAccess.h"

MeshletConfigDialog::MeshletConfigDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Meshlet Configuration"));
    auto* identityBox = new QWidget(this);
    auto* identity = new QGridLayout(identityBox);
    identity->setContentsMargins(0, 0, 0, 0);
    extendedAddress_ = AddField(identity, QStringLiteral("Extended Address:"),
                                QStringLiteral("extendedAddress"), {}, false);
    productType_ = AddField(identity, QStringLiteral("Product Type:"),
                            QStringLiteral("productType"), {}, false);
    firmwareVersion_ = AddField(identity, QStringLiteral("Firmware Version:"),
                                QStringLiteral("firmwareVersion"), {}, false);

    auto* basic = new QGroupBox(QStringLiteral("Basic Radio Settings"), this);
    auto* basicGrid = new QGridLayout(basic);
    panId_ = AddField(
        basicGrid, QStringLiteral("PAN ID (ID):"), QStringLiteral("panId"),
        QStringLiteral("8 hex bytes (Setting to 0 allows a random extended PAN ID to be used)"),
        true);
    nodeId_ = AddField(basicGrid, QStringLiteral("Node Identifier (NI): "),
                       QStringLiteral("nodeId"), {}, true);
    discoverTimeout_ = AddField(basicGrid, QStringLiteral("Discover Timeout (NT): "),
                                QStringLiteral("discoverTimeout"),
                                QStringLiteral("tenths of second (0-252) "), true);
    scanChannels_ =
        AddField(basicGrid, QStringLiteral("Scan Channels (SC): "), QStringLiteral("scanChannels"),
                 QStringLiteral("hex (0xffff=all channels)"), true);
    scanDuration_ = AddField(basicGrid, QStringLiteral("Scan Duration (SD): "),
                             QStringLiteral("scanDuration"), QStringLiteral("(0-7)"), true);

    auto* advanced = new QGroupBox(QStringLiteral("Advanced Radio Settings"), this);
    auto* advancedGrid = new QGridLayout(advanced);
    powerLevel_ = new QComboBox(advanced);
    powerLevel_->setObjectName(QStringLiteral("powerLevel"));
    for (const std::string& entry : SplitChoices(kPowerLevelChoices))
        powerLevel_->addItem(QString::fromStdString(entry));
    powerLevel_->setCurrentIndex(-1);
    auto* powerLabel = new QLabel(QStringLiteral("Transmit Power Level (PL): "), advanced);
    powerLabel->setBuddy(powerLevel_);
    advancedGrid->addWidget(powerLabel, 0, 0);
    advancedGrid->addWidget(powerLevel_, 0, 1);
    joinTime_ =
        AddField(advancedGrid, QStringLiteral("Allows Join Time (NJ): "),
                 QStringLiteral("joinTime"), QStringLiteral("seconds (0-64. 255=always) "), true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* apply = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
    apply->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(identityBox);
    layout->addWidget(basic);
    layout->addWidget(advanced);
    layout->addWidget(buttons);
    AssignMnemonics(this, {});
}

QLineEdit* MeshletConfigDialog::AddField(QGridLayout* grid, const QString& label,
                                         const QString& name, const QString& note, bool editable) {
    const int row = grid->rowCount();
    QWidget* owner = grid->parentWidget();
    auto* edit = new QLineEdit(owner);
    edit->setObjectName(name);
    edit->setReadOnly(!editable);
    auto* caption = new QLabel(label, owner);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    if (!note.isEmpty())
        grid->addWidget(new QLabel(note, owner), row, 2);
    grid->setColumnStretch(1, 1);
    return edit;
}

void MeshletConfigDialog::Show(const NodeSettings& settings, const std::string& extendedAddress) {
    const auto show = [](QLineEdit* edit, const std::string& text) {
        edit->setText(QString::fromStdString(text));
        edit->setCursorPosition(0);
    };
    show(extendedAddress_, extendedAddress);
    show(productType_, settings.productType);
    show(firmwareVersion_, settings.firmwareVersion);
    show(panId_, settings.extendedPanId);
    show(nodeId_, settings.nodeId);
    show(discoverTimeout_, settings.discoverTimeout);
    show(scanChannels_, settings.scanChannels);
    show(scanDuration_, settings.scanDuration);
    show(joinTime_, settings.joinTime);
    powerLevel_->setCurrentIndex(settings.powerLevelIndex);
}
