#pragma once

#include <QString>

class ModemPort;
class QLabel;
class QPushButton;
class QWidget;

// What both progress dialogs ("Communicating..." and "Uploading...") show
// while the link waits for the gateway's port to come back: a line "Waiting
// for the R7 to come back on PORT..." and a Cancel button that ends the wait.
// Outside a wait the line shows the dialog's own text, or is hidden when it
// has none, and Cancel is hidden. Escape cancels only during the wait: the
// dialog's reject asks Waiting() and calls Cancel(). User-interface thread only;
// the dialog owns the widgets.
class PortWaitPanel {
public:
    PortWaitPanel(ModemPort& port, QWidget* dialog, QString idleText);

    QLabel* Line() const { return line_; }
    QPushButton* CancelButton() const { return cancel_; }

    void Show(bool waiting);
    bool Waiting() const { return waiting_; }
    // Ends the wait (the exchange that waited fails, and the rest of the
    // script or upload with it). Only during a wait.
    void Cancel();

private:
    ModemPort& port_;
    QString portName_;
    QString idleText_;
    QLabel* line_;
    QPushButton* cancel_;
    bool waiting_ = false;
};
