#include "pages/KeyboardAccess.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>

namespace {

constexpr QChar kMarker = u'&';

// The letter after a single '&' ("&&" is a literal ampersand), lower case.
QChar MnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != kMarker)
            continue;
        if (text[i + 1] != kMarker)
            return text[i + 1].toLower();
        ++i;
    }
    return {};
}

bool IsKeyLetter(QChar c) {
    return c.unicode() < 128 && c.isLetter();
}

// Where the mnemonic goes: a word's first letter, else any free letter.
qsizetype FreeLetter(const QString& text, const QString& taken) {
    qsizetype anyLetter = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!IsKeyLetter(text[i]) || taken.contains(text[i].toLower()))
            continue;
        if (i == 0 || !text[i - 1].isLetterOrNumber())
            return i;
        if (anyLetter < 0)
            anyLetter = i;
    }
    return anyLetter;
}

// A widget whose text can carry a mnemonic, and its text.
struct Captioned {
    QWidget* widget;
    QString text;
};

QList<Captioned> CaptionedWidgets(const QWidget* root) {
    QList<Captioned> captioned;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            captioned.append({button, button->text()});
        else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy())
            captioned.append({label, label->text()});
    }
    return captioned;
}

void SetCaption(QWidget* widget, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
}

bool IsEditable(const QWidget* widget) {
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return !edit->isReadOnly();
    if (auto* spin = qobject_cast<const QAbstractSpinBox*>(widget))
        return !spin->isReadOnly();
    if (auto* text = qobject_cast<const QTextEdit*>(widget))
        return !text->isReadOnly();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(widget))
        return !plain->isReadOnly();
    return qobject_cast<const QComboBox*>(widget) || qobject_cast<const QCheckBox*>(widget) ||
           qobject_cast<const QRadioButton*>(widget);
}

template <typename Wanted>
QWidget* FirstInTabOrder(const QWidget* page, Wanted wanted) {
    // The focus chain is the tab order; it runs through the whole window.
    for (QWidget* widget = page->nextInFocusChain(); widget != page;
         widget = widget->nextInFocusChain()) {
        if (page->isAncestorOf(widget) && widget->isVisibleTo(page) && widget->isEnabled() &&
            (widget->focusPolicy() & Qt::TabFocus) != 0 && wanted(widget))
            return widget;
    }
    return nullptr;
}

}  // namespace

QString TakenMnemonics(const QWidget* window) {
    QString taken;
    for (const Captioned& item : CaptionedWidgets(window)) {
        if (const QChar letter = MnemonicOf(item.text); !letter.isNull())
            taken += letter;
    }
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (const QAction* menu : bar->actions()) {
            if (const QChar letter = MnemonicOf(menu->text()); !letter.isNull())
                taken += letter;
        }
    }
    return taken;
}

void AssignMnemonics(QWidget* page, QString taken) {
    // Letters the page chose itself stay where they are.
    taken += TakenMnemonics(page);
    for (const Captioned& item : CaptionedWidgets(page)) {
        if (!MnemonicOf(item.text).isNull() || item.text.contains(kMarker))
            continue;
        const qsizetype at = FreeLetter(item.text, taken);
        if (at < 0)
            continue;
        taken += item.text[at].toLower();
        QString text = item.text;
        SetCaption(item.widget, text.insert(at, kMarker));
    }
}

QWidget* FirstEditableField(const QWidget* page) {
    return FirstInTabOrder(page, IsEditable);
}

QWidget* FirstTabStop(const QWidget* page) {
    return FirstInTabOrder(page, [](const QWidget*) { return true; });
}
