#pragma once

#include <QString>

class QWidget;

// What a keyboard user and a screen reader need from a page, applied to the
// widgets the page built.

// The mnemonic letters (lower case) already used in the texts of the buttons,
// labels and menus under `window`.
QString TakenMnemonics(const QWidget* window);

// Gives each button and each label that names a field (its buddy) a mnemonic:
// the first letter of a word in its text that no other widget uses, else any
// such letter, else none. `taken` holds the letters the window around the
// page uses already.
void AssignMnemonics(QWidget* page, QString taken);

// The first control in tab order under `page` where the user can change
// something (not a read-only field, not a button), or nullptr.
QWidget* FirstEditableField(const QWidget* page);

// The first control in tab order under `page` that Tab can reach, or nullptr.
QWidget* FirstTabStop(const QWidget* page);
