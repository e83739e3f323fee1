#pragma once

#include <QDialog>
#include <string>

struct NodeSettings;
class QComboBox;
class QGridLayout;
class QLineEdit;

// "Meshlet Configuration": one mesh node's radio settings, shown for reading.
// Apply and Cancel both close it; nothing is kept or sent.
class MeshletConfigDialog : public QDialog {
    Q_OBJECT

public:
    explicit MeshletConfigDialog(QWidget* parent = nullptr);

    void Show(const NodeSettings& settings, const std::string& extendedAddress);

private:
    QLineEdit* AddField(QGridLayout* grid, const QString& label, const QString& name,
                        const QString& note, bool editable);

    QLineEdit* extendedAddress_;
    QLineEdit* productType_;
    QLineEdit* firmwareVersion_;
    QLineEdit* panId_;
    QLineEdit* nodeId_;
    QLineEdit* discoverTimeout_;
    QLineEdit* scanChannels_;
    QLineEdit* scanDuration_;
    QComboBox* powerLevel_;
    QLineEdit* joinTime_;
};
