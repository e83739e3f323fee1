#include "pages/IpAddressEdit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

namespace {

// Four numbers of one to three digits, each at most 255.
bool SplitDottedQuad(const QString& text, QStringList& parts) {
    static const QRegularExpression quad(
        QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const QRegularExpressionMatch match = quad.match(text.trimmed());
    if (!match.hasMatch())
        return false;
    parts = match.capturedTexts().mid(1);
    for (const QString& part : parts) {
        if (part.toInt() > 255)
            return false;
    }
    return true;
}

}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (i > 0)
            layout->addWidget(new QLabel(QStringLiteral("."), this));
        fields_[i] = new QLineEdit(this);
        fields_[i]->setReadOnly(true);
        fields_[i]->setAlignment(Qt::AlignCenter);
        fields_[i]->setMaximumWidth(
            fields_[i]->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
        layout->addWidget(fields_[i]);
    }
    layout->addStretch();
}

void IpAddressEdit::SetAddress(const std::string& address) {
    QStringList parts;
    const bool valid = SplitDottedQuad(QString::fromStdString(address), parts);
    for (std::size_t i = 0; i < fields_.size(); ++i)
        fields_[i]->setText(valid ? QString::number(parts[static_cast<int>(i)].toInt())
                                  : QString());
}

QString IpAddressEdit::Address() const {
    if (fields_[0]->text().isEmpty())
        return {};
    QStringList parts;
    for (const QLineEdit* field : fields_)
        parts.append(field->text());
    return parts.join(QLatin1Char('.'));
}
