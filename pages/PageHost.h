#pragma once

#include <QEvent>

class PropertyPage;

// The two requests by which a page asks the sheet to send an edited document to
// the gateway and read it back. They run synchronously: the page re-reads its
// values once the request returns.
inline constexpr QEvent::Type WM_APPLY_CONFIGURATION =
    static_cast<QEvent::Type>(QEvent::User + 100);
inline constexpr QEvent::Type WM_APPLY_RADIO_CONFIGURATION =
    static_cast<QEvent::Type>(QEvent::User + 101);

// What a page sees of the sheet that holds it, so that pages do not depend on
// the sheet's class.
class PageHost {
public:
    virtual PropertyPage* ActivePage() const = 0;
    // Runs one of the apply requests above and returns when it has run.
    virtual void RunPageRequest(QEvent::Type type) = 0;

protected:
    ~PageHost() = default;
};
