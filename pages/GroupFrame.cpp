#include "pages/GroupFrame.h"

#include <algorithm>

GroupFrame::GroupFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
    setObjectName(title);
}

void GroupFrame::ShowFrame(bool shown) {
    frameShown_ = shown;
    setVisible(shown || HasShownControl());
    update();
}

void GroupFrame::paintEvent(QPaintEvent* event) {
    if (frameShown_)
        QGroupBox::paintEvent(event);
}

bool GroupFrame::HasShownControl() const {
    const QList<QWidget*> controls = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return std::any_of(controls.begin(), controls.end(),
                       [](const QWidget* control) { return !control->isHidden(); });
}
