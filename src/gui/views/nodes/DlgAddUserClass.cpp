#include "views/nodes/DlgAddUserClass.h"

#include "app/Prompts.h"
#include "app/Strings.h"
#include "views/nodes/NameValidation.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vexilor {

namespace {

// Names of one kind, sorted as a sorted drop-down list shows them (case-insensitive, then exact).
QStringList sortedNames(const CRestrictionsModel& model, EntityKind kind)
{
    std::vector<std::u16string> collected;
    CKestovaEnumerator collector(collected);
    model.names(kind, collector);
    QStringList names;
    for (const std::u16string& n : collected)
        names.append(QString::fromStdU16String(n));
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

}  // namespace

CDlgAddUserClass::CDlgAddUserClass(const CRestrictionsModel& model, EntityKind kind, QWidget* parent,
                                   text::CodePage codePage)
    : QDialog(parent), model_(model), kind_(kind), codePage_(std::move(codePage))
{
    const bool isClass = kind == EntityKind::Class;
    setWindowTitle(strings::Text(isClass ? 3410 : 3411));

    auto* group = new QGroupBox(strings::Text(isClass ? 3412 : 3413), this);
    auto* byDefault = new QRadioButton(strings::Text(3414), group);
    auto* fromClass = new QRadioButton(strings::Text(3415), group);
    auto* fromUser = new QRadioButton(strings::Text(3416), group);
    choices_ = new QButtonGroup(this);
    choices_->addButton(byDefault, Default);
    choices_->addButton(fromClass, CopyClass);
    choices_->addButton(fromUser, CopyUser);
    byDefault->setChecked(true);

    classes_ = new QComboBox(group);
    classes_->addItems(sortedNames(model, EntityKind::Class));
    classes_->setCurrentIndex(-1);
    users_ = new QComboBox(group);
    users_->addItems(sortedNames(model, EntityKind::User));
    users_->setCurrentIndex(-1);

    auto* grid = new QGridLayout(group);
    grid->addWidget(byDefault, 0, 0, 1, 2);
    grid->addWidget(fromClass, 1, 0);
    grid->addWidget(classes_, 1, 1);
    grid->addWidget(fromUser, 2, 0);
    grid->addWidget(users_, 2, 1);
    grid->setColumnStretch(1, 1);

    auto* prompt = new QLabel(strings::Text(isClass ? 3417 : 3418), this);
    name_ = new QLineEdit(this);
    name_->setMaxLength(24);
    prompt->setBuddy(name_);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &CDlgAddUserClass::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &CDlgAddUserClass::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(prompt);
    layout->addWidget(name_);
    layout->addWidget(buttons_);

    connect(classes_, &QComboBox::activated, this, [this] {
        choices_->button(CopyClass)->setChecked(true);
        updateOk();
    });
    connect(users_, &QComboBox::activated, this, [this] {
        choices_->button(CopyUser)->setChecked(true);
        updateOk();
    });
    connect(choices_, &QButtonGroup::idToggled, this, [this] { updateOk(); });
    updateOk();
    name_->setFocus();
}

QString CDlgAddUserClass::name() const
{
    return name_->text().trimmed();
}

CDlgAddUserClass::Choice CDlgAddUserClass::choice() const
{
    return static_cast<Choice>(std::max(0, choices_->checkedId()));
}

QString CDlgAddUserClass::copyFrom() const
{
    switch (choice()) {
    case CopyClass: return classes_->currentText();
    case CopyUser: return users_->currentText();
    case Default: break;
    }
    return {};
}

bool CDlgAddUserClass::okEnabled() const
{
    return buttons_->button(QDialogButtonBox::Ok)->isEnabled();
}

void CDlgAddUserClass::updateOk()
{
    const bool source = choice() == Default || (choice() == CopyClass && classes_->currentIndex() >= 0)
        || (choice() == CopyUser && users_->currentIndex() >= 0);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(source);
}

void CDlgAddUserClass::accept()
{
    if (!okEnabled())
        return;
    const QString problem = EntityNameProblem(model_, kind_, name(), codePage_);
    if (!problem.isEmpty()) {
        Prompts::show(problem, Prompts::Icon::Error);
        name_->setFocus();
        name_->selectAll();
        return;
    }
    QDialog::accept();
}

}  // namespace vexilor
