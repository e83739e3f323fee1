#include "link/PortWaitPanel.h"

#include <QLabel>
#include <QPushButton>

#include "link/ModemPort.h"

PortWaitPanel::PortWaitPanel(ModemPort& port, QWidget* dialog, QString idleText)
    : port_(port),
      portName_(QString::fromStdString(port.PortName())),
      idleText_(std::move(idleText)),
      line_(new QLabel(dialog)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), dialog)) {
    line_->setObjectName(QStringLiteral("portLine"));
    // Only Escape and a click may cancel: Enter stays ignored.
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setAutoDefault(false);
    QObject::connect(cancel_, &QPushButton::clicked, dialog, [this] { Cancel(); });
    Show(false);
}

void PortWaitPanel::Show(bool waiting) {
    waiting_ = waiting;
    if (waiting)
        line_->setText(QStringLiteral("Waiting for the R7 to come back on %1...").arg(portName_));
    else
        line_->setText(idleText_);
    line_->setVisible(waiting || !idleText_.isEmpty());
    cancel_->setEnabled(true);
    cancel_->setVisible(waiting);
}

void PortWaitPanel::Cancel() {
    if (!waiting_)
        return;
    port_.CancelWait();
    cancel_->setEnabled(false);
}
