#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;

namespace vexilor {

struct CAppState;

// "Create a Desktop Shortcut": a launcher on the user's desktop that starts the program, for the
// open intercom when the check box is ticked (with -i "NAME"). Proposes the names from the intercom;
// refuses names with characters no file system takes; asks before replacing an existing launcher.
class CDlgShortcut : public QDialog {
    Q_OBJECT
public:
    CDlgShortcut(CAppState& app, QWidget* parent = nullptr);
    ~CDlgShortcut() override;

    // Where the launcher goes; the user's desktop unless a test points it elsewhere.
    void setDesktopDirectory(const QString& directory) { desktopDirectory_ = directory; }
    QString desktopDirectory() const { return desktopDirectory_; }

    // The path of the last launcher written (empty when none was written or the write failed).
    QString savedPath() const { return savedPath_; }

    QCheckBox* intercomCheck() const { return intercomCheck_; }
    QLineEdit* intercomEdit() const { return intercomEdit_; }
    QLineEdit* nameEdit() const { return nameEdit_; }
    QLineEdit* descriptionEdit() const { return descriptionEdit_; }

public Q_SLOTS:
    void accept() override;

private:
    void proposeNames();
    void takeValues();
    void showValues();
    void onIntercomToggled();

    CAppState& app_;
    QCheckBox* intercomCheck_ = nullptr;
    QLineEdit* intercomEdit_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QLineEdit* descriptionEdit_ = nullptr;
    QString intercomName_ = QStringLiteral("Default");
    QString shortcutName_ = QStringLiteral("Kestova");
    QString description_;
    bool forIntercom_ = false;
    QString desktopDirectory_;
    QString savedPath_;
};

}  // namespace vexilor
