#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;

namespace vexilor {

// A one-line text dialog ("Input Choice" until given a title) whose OK runs a validation: a
// non-empty problem text is shown with the stop icon and the dialog stays open with the text
// selected. The field takes at most 24 characters.
class CInputBoxEx : public QDialog {
    Q_OBJECT
public:
    using Validator = std::function<QString(const QString& text)>;

    CInputBoxEx(const QString& title, const QString& prompt, const QString& initial, Validator validate,
                QWidget* parent = nullptr);

    // The text as entered.
    QString text() const;
    QLineEdit* field() const { return field_; }

    void accept() override;

private:
    QLabel* prompt_ = nullptr;
    QLineEdit* field_ = nullptr;
    Validator validate_;
};

}  // namespace vexilor
