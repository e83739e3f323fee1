#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

#include "link/PortWatch.h"

class ModemPort;
class QSocketNotifier;
class QWidget;

// Follows the gateway's port while the sheet is idle: tells when its path
// went away and when it is back, from an inotify watch on its directory (the
// gateway itself is not asked). Changes noticed while a script, a message or
// any other modal window runs over the sheet, or while another worker (the
// signal monitor's sampling) holds the port's turn, are told once the sheet
// and the port are the user's again, so that what they start never runs
// inside another script. Without inotify it looks at the path once a second.
class PortFollower : public QObject {
    Q_OBJECT

public:
    using ChangeHandler = std::function<void(bool present)>;

    PortFollower(ModemPort& port, QWidget* sheet, ChangeHandler onChange);

private:
    bool Idle() const;
    void Check();

    ModemPort& port_;
    std::string portPath_;
    QWidget* sheet_;
    ChangeHandler onChange_;
    PortWatch watch_;
    QTimer timer_;
    bool present_ = true;
};
