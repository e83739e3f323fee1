#pragma once

#include <QLineEdit>
#include <QString>

// A read-only field for a value reported by the gateway. It can reserve room
// for the longest value it is meant to show whole, and can show a value that
// does not fit elided in the middle, with the whole value as its tooltip.
class ValueField : public QLineEdit {
    Q_OBJECT

public:
    explicit ValueField(QWidget* parent = nullptr);

    // Makes the field at least wide enough to show `sample` whole.
    void ReserveWidthFor(const QString& sample);
    // Shows `value`, elided in the middle while it does not fit.
    void ShowElided(const QString& value);
    // The value last given to ShowElided, whole.
    const QString& FullText() const { return full_; }
    // The width the field has for its text, without frame and margins.
    int TextWidth() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString full_;
    bool elides_ = false;
};
