#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>
#include <functional>

#include "app/LinkColours.h"

class QVBoxLayout;

// The lines of the box that the build sets (R7_NOTICE_LINE, R7_WEB_ADDRESS).
struct AboutTexts {
    QString notice;
    QString webAddress;  // empty: the box has no "Visit us at" line

    static AboutTexts FromBuild();
};

// Hands an address to whatever opens it; by default the desktop's browser.
// Its outcome is not reported: the user sees the browser come up or not.
using UrlOpener = std::function<void(const QUrl&)>;

// "About Tarvel R7 Dashboard": the icon, the program's name in bold, its
// version, the notice line and, when the build gives a web address,
// "Visit us at" with the address as a link that opens it.
class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr, const AboutTexts& texts = AboutTexts::FromBuild(),
                      UrlOpener opener = OpenWithDesktop,
                      const LinkColours& colours = ReadLinkColours(UserKdeGlobals()));

    static void OpenWithDesktop(const QUrl& address);

private:
    void AddLinkLine(QVBoxLayout* lines, const LinkColours& colours);
    void OpenAddress();

    QString address_;
    UrlOpener opener_;
};
