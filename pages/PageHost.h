#pragma once

#include <QEvent>
#include <QString>

class PropertyPage;

// The two requests by which the sheet sends an edited document to the gateway
// and reads it back (a page names its own with ApplyRequest). They run
// synchronously.
inline constexpr QEvent::Type WM_APPLY_CONFIGURATION =
    static_cast<QEvent::Type>(QEvent::User + 100);
inline constexpr QEvent::Type WM_APPLY_RADIO_CONFIGURATION =
    static_cast<QEvent::Type>(QEvent::User + 101);

// What a page sees of the sheet that holds it, so that pages do not depend on
// the sheet's class.
class PageHost {
public:
    virtual PropertyPage* ActivePage() const = 0;
    // Tells how an operation ended, on the window's status line.
    virtual void ShowStatus(const QString& text) = 0;

protected:
    ~PageHost() = default;
};
