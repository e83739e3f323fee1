#pragma once

#include <QWidget>
#include <array>
#include <string>

class QLineEdit;

// A read-only IPv4 address shown as four number fields. Text that is not a
// dotted quad leaves the fields blank rather than showing a wrong address.
class IpAddressEdit : public QWidget {
    Q_OBJECT

public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    void SetAddress(const std::string& address);
    // The address as shown, or empty while the fields are blank.
    QString Address() const;

private:
    std::array<QLineEdit*, 4> fields_;
};
