#include "app/ProductSelectDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The list is shown in the order a sorted combo box would keep it: alphabetical
// without regard to case, so COM10 comes before COM3.
QStringList SortedNames(const std::vector<std::string>& candidates) {
    QStringList names;
    for (const std::string& candidate : candidates)
        names.append(QString::fromStdString(candidate));
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

}  // namespace

ProductSelectDialog::ProductSelectDialog(const std::vector<std::string>& candidates,
                                         QWidget* parent)
    : QDialog(parent), product_(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("Select Product to configure"));

    auto* prompt = new QLabel(QStringLiteral("Found multiple supported products.  Please select "
                                             "the one you would like to configure"),
                              this);
    prompt->setWordWrap(true);

    product_->setObjectName(QStringLiteral("product"));
    product_->setEditable(true);
    // Typed names are used as they stand, never added to the offered list.
    product_->setInsertPolicy(QComboBox::NoInsert);
    product_->addItems(SortedNames(candidates));
    product_->setCurrentIndex(product_->count() > 0 ? 0 : -1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &ProductSelectDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(product_);
    layout->addWidget(buttons);
}

void ProductSelectDialog::accept() {
    selection_ = product_->currentText().toStdString();
    QDialog::accept();
}
