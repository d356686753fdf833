#pragma once

#include "restrictions/RestrictionsModel.h"
#include "text/CodePage.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QDialogButtonBox;
class QLineEdit;

namespace vexilor {

// "Add New Class" / "Add New User": the new name, and whether its permissions start empty or as a
// copy of an existing class or user. OK stays disabled while a copy is chosen without a class or
// user to copy from, so that OK always adds something.
class CDlgAddUserClass : public QDialog {
    Q_OBJECT
public:
    enum Choice { Default = 0, CopyClass = 1, CopyUser = 2 };

    // kind is Class or User.
    // Names are checked against codePage, the restrictions file's.
    CDlgAddUserClass(const CRestrictionsModel& model, EntityKind kind, QWidget* parent = nullptr,
                     text::CodePage codePage = {});

    // The name with leading and trailing blanks removed.
    QString name() const;
    Choice choice() const;
    // The class or user to copy from (empty for Default).
    QString copyFrom() const;

    QLineEdit* nameField() const { return name_; }
    QComboBox* classList() const { return classes_; }
    QComboBox* userList() const { return users_; }
    QButtonGroup* choices() const { return choices_; }
    bool okEnabled() const;

    void accept() override;

private:
    void updateOk();

    const CRestrictionsModel& model_;
    EntityKind kind_;
    text::CodePage codePage_;
    QButtonGroup* choices_ = nullptr;
    QComboBox* classes_ = nullptr;
    QComboBox* users_ = nullptr;
    QLineEdit* name_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace vexilor
