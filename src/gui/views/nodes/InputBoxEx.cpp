#include "views/nodes/InputBoxEx.h"

#include "app/Prompts.h"
#include "app/Strings.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vexilor {

CInputBoxEx::CInputBoxEx(const QString& title, const QString& prompt, const QString& initial, Validator validate,
                         QWidget* parent)
    : QDialog(parent), validate_(std::move(validate))
{
    setWindowTitle(title.isEmpty() ? strings::Text(3409) : title);
    prompt_ = new QLabel(prompt, this);
    field_ = new QLineEdit(initial, this);
    field_->setMaxLength(24);
    field_->selectAll();
    prompt_->setBuddy(field_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CInputBoxEx::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CInputBoxEx::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addWidget(field_);
    layout->addWidget(buttons);
    setMinimumWidth(320);
    field_->setFocus();
}

QString CInputBoxEx::text() const
{
    return field_->text();
}

void CInputBoxEx::accept()
{
    // Trailing blanks do not count for the test; the result is the text as entered.
    QString tested = field_->text();
    while (!tested.isEmpty() && tested.back().isSpace())
        tested.chop(1);
    const QString problem = validate_ ? validate_(tested) : QString();
    if (!problem.isEmpty()) {
        Prompts::show(problem, Prompts::Icon::Error);
        field_->setFocus();
        field_->selectAll();
        return;
    }
    QDialog::accept();
}

}  // namespace vexilor
