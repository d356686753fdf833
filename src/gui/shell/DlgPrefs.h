#pragma once

#include <QDialog>
#include <QString>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vexilor {

struct CAppState;

// The preferences: how restriction cells are changed, how long alphas are shown, and the three
// places the program works with (Tovrin's executable, the .RES and the .CFG directories), and the
// code page of Tovrin's PC: a choice of those this platform converts (on Windows the system's,
// shown but not changed).
//
// In start-up mode the dialog checks the stored settings as it opens and, when they are usable,
// accepts itself without ever being shown; otherwise (first run, or a problem) it stays open until
// the settings validate or the user cancels. exec() returns Accepted on OK; OK stores the values in
// app.prefs through changePreferences (the open windows follow at once), sets app.alphaSizeChanged
// when the alpha size changed, and writes "ShowWelcome" = "N".
class CDlgPrefs : public QDialog {
    Q_OBJECT
public:
    CDlgPrefs(CAppState& app, bool startupMode, QWidget* parent = nullptr);
    ~CDlgPrefs() override;

    // The first failing check shows its message and returns false; the welcome, while pending,
    // counts as the first failing check.
    bool ValidatePrefs();

    bool alphaSizeChanged() const { return alphaSizeChanged_; }
    bool welcomePending() const { return welcomePending_; }

    // Start-up mode: accepted while opening, so exec() returns at once without showing anything.
    int exec() override;

    // The browse buttons' work, callable from tests.
    void browseExecutable();
    void browseResDirectory();
    void browseCfgDirectory();

    QLineEdit* exePathEdit() const { return exeEdit_; }
    QLineEdit* resDirectoryEdit() const { return resEdit_; }
    QLineEdit* cfgDirectoryEdit() const { return cfgEdit_; }
    QButtonGroup* clickGroup() const { return clickGroup_; }
    QButtonGroup* alphaGroup() const { return alphaGroup_; }
    QComboBox* codePageBox() const { return codePageBox_; }

public Q_SLOTS:
    void accept() override;

private:
    void buildControls();
    void takeValues();

    CAppState& app_;
    QLineEdit* exeEdit_ = nullptr;
    QLineEdit* resEdit_ = nullptr;
    QLineEdit* cfgEdit_ = nullptr;
    QString exePath_;
    QString resDirectory_;
    QString cfgDirectory_;
    bool startupMode_ = false;
    int alphaRadio_ = 0;  // 0 = 4, 1 = 6, 2 = 8, 3 = 8 Unicode
    int clickRadio_ = 0;  // 0 = single, 1 = double
    bool alphaSizeChanged_ = false;
    bool welcomePending_ = true;
    bool validAtOpen_ = false;
    QButtonGroup* clickGroup_ = nullptr;
    QButtonGroup* alphaGroup_ = nullptr;
    QComboBox* codePageBox_ = nullptr;
};

}  // namespace vexilor
