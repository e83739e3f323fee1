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
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QMargins margins = textMargins();
    const QSize text(fontMetrics().horizontalAdvance(sample) + 2 * kInnerMargin + kCursorWidth +
                         margins.left() + margins.right(),
                     fontMetrics().height());
    setMinimumWidth(style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, this).width());
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
