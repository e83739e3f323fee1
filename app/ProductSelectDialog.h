#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;

// Lets the user pick one of several gateways found at start-up, or type a device
// name. Dismissing the dialog (close box, Escape) leaves the selection empty, which
// discovery treats as "no port".
class ProductSelectDialog : public QDialog {
    Q_OBJECT

public:
    explicit ProductSelectDialog(const std::vector<std::string>& candidates,
                                 QWidget* parent = nullptr);

    // The combo's text when OK was pressed; empty otherwise.
    std::string Selection() const { return selection_; }

    void accept() override;

private:
    QComboBox* product_;
    std::string selection_;
};
