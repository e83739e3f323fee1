#include "app/AboutBox.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/AppResources.h"
#include "app/LinkControl.h"
#include "app/ProgramTitle.h"
#include "app/VersionText.h"

namespace {

constexpr int kIconSize = 32;

QLabel* AddLine(QVBoxLayout* lines, const QString& name, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    lines->addWidget(label);
    return label;
}

void AddTextLines(QVBoxLayout* lines, const QString& notice) {
    QLabel* name = AddLine(lines, QStringLiteral("displayName"), QString::fromUtf8(kProgramTitle));
    QFont bold = name->font();
    bold.setWeight(QFont::Bold);
    name->setFont(bold);
    AddLine(lines, QStringLiteral("version"), QString::fromStdString(GetVersionText()));
    AddLine(lines, QStringLiteral("notice"), notice);
}

}  // namespace

AboutTexts AboutTexts::FromBuild() {
    return {QString::fromUtf8(R7_NOTICE_LINE), QString::fromUtf8(R7_WEB_ADDRESS)};
}

AboutBox::AboutBox(QWidget* parent, const AboutTexts& texts, UrlOpener opener,
                   const LinkColours& colours)
    : QDialog(parent), address_(texts.webAddress), opener_(std::move(opener)) {
    setWindowTitle(QStringLiteral("About %1").arg(QString::fromUtf8(kProgramTitle)));

    auto* icon = new QLabel;
    icon->setPixmap(AppIcon().pixmap(kIconSize, kIconSize));
    auto* lines = new QVBoxLayout;
    AddTextLines(lines, texts.notice);
    AddLinkLine(lines, colours);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(kIconSize / 2);
    top->addLayout(lines);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutBox::AddLinkLine(QVBoxLayout* lines, const LinkColours& colours) {
    auto* visit = new QLabel(QStringLiteral("Visit us at"));
    visit->setObjectName(QStringLiteral("visitLabel"));
    auto* link = new LinkControl(colours);
    link->setObjectName(QStringLiteral("link"));
    link->setText(address_);
    connect(link, &LinkControl::Activated, this, &AboutBox::OpenAddress);
    auto* line = new QHBoxLayout;
    line->addWidget(visit);
    line->addWidget(link);
    line->addStretch();
    lines->addLayout(line);
    // Without an address the line would only be a dead end for the keyboard.
    if (address_.isEmpty()) {
        for (QWidget* part : {static_cast<QWidget*>(visit), static_cast<QWidget*>(link)}) {
            part->setEnabled(false);
            part->hide();
        }
    }
}

void AboutBox::OpenWithDesktop(const QUrl& address) {
    QDesktopServices::openUrl(address);
}

void AboutBox::OpenAddress() {
    if (!address_.isEmpty())
        opener_(QUrl::fromUserInput(address_));
}
