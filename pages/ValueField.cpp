#include "pages/ValueField.h"

#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// QLineEdit keeps this much room on each side of its text, and one pixel for
// the cursor.
constexpr int kInnerMargin = 2;
constexpr int kCursorWidth = 1;

}  // namespace

ValueField::ValueField(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
}

void ValueField::ReserveWidthFor(const QString& sample) {
    // Frame, margins and cursor take the same room at any width; measured here
    // the same way that eliding measures it, so a sample that fits is never
    // elided (the style's size from contents counts the frame differently).
    const int chrome = width() - TextWidth();
    // Eliding measures in fractions of a pixel; a whole pixel more keeps a
    // sample that rounds down from being elided.
    setMinimumWidth(fontMetrics().horizontalAdvance(sample) + 1 + chrome);
}

int ValueField::TextWidth() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    return contents.marginsRemoved(textMargins()).width() - 2 * kInnerMargin - kCursorWidth;
}

void ValueField::ShowElided(const QString& value) {
    full_ = value;
    elides_ = true;
    Elide();
}

void ValueField::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    if (elides_)
        Elide();
}

void ValueField::Elide() {
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideMiddle, TextWidth());
    setText(shown);
    setCursorPosition(0);
    setToolTip(shown == full_ ? QString() : full_);
}
