#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

#include "link/PortWatch.h"

class QSocketNotifier;
class QWidget;

// Follows the gateway's port while the sheet is idle: tells when its path
// went away and when it is back, from an inotify watch on its directory (the
// gateway itself is not asked). Changes noticed while a script, a message or
// any other modal window runs over the sheet are told once the sheet is the
// user's again, so that what they start never runs inside another script.
// Without inotify it looks at the path once a second.
class PortFollower : public QObject {
    Q_OBJECT

public:
    using ChangeHandler = std::function<void(bool present)>;

    PortFollower(std::string portPath, QWidget* sheet, ChangeHandler onChange);

private:
    bool SheetIdle() const;
    void Check();

    std::string portPath_;
    QWidget* sheet_;
    ChangeHandler onChange_;
    PortWatch watch_;
    QTimer timer_;
    bool present_ = true;
};
