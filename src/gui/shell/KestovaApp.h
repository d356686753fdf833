#pragma once

#include "app/AppState.h"
#include "app/SettingsStore.h"
#include "document/KestovaDoc.h"
#include "shell/CommandLineInfoEx.h"
#include "shell/FileTypeRegistration.h"
#include "shell/Splash.h"

#include <QFont>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTranslator>

#include <functional>
#include <memory>
#include <optional>

namespace vexilor {

class CMainFrame;
class CKestovaView;

// The fonts the windows share: the menu font, a symbol font, the title font and two list fonts.
struct AppFonts {
    QFont menu;
    QFont symbol;
    QFont title;
    QFont list;
    QFont boldList;
};

// The intercom start-up opens: the first plain parameter (a restrictions file "NAME.res" gives
// NAME), else the "i" (or "I") switch, else the default intercom. Empty when there is none (the
// intercom list is shown).
QString ChooseStartName(const CCommandLineInfoEx& commandLine, const QString& defaultIntercom);

// The application object: owns the application state, the document, the main frame and its view,
// and runs start-up and shutdown. Start-up is a list of steps; each must succeed for the next to
// run, and the ones that ran can be read back.
class CKestovaApp : public QObject {
    Q_OBJECT
public:
    enum class Step {
        CommandLine,
        Language,
        Fonts,
        LoadSettings,
        StartName,
        StartupPreferences,
        SaveSettings,
        CreateWindows,
        NewDocument,
        ShowWindow,
        Splash,
    };

    // What start-up takes from outside. Tests give their own settings, locale and dialogs; an
    // empty function means the real dialog.
    struct Options {
        QStringList parameters;                  // the command line without the program
        std::unique_ptr<SettingsStore> settings;  // null: the user's settings
        std::optional<unsigned> threadLocaleId;   // null: the system's
        QStringList translationDirectories;       // null: beside the executable, then share/
        // The preferences dialog in start-up mode; true when it ended with OK.
        std::function<bool(CAppState&)> startupPreferences;
        // The document's dialogs (selection, refresh, export target).
        CKestovaDoc::Services services;
        bool showWindow = true;
        // Start-up registers the restrictions file type with the desktop for the user, after the
        // settings are saved; tests switch it off or give it a folder of their own.
        bool registerFileType = true;
        FileTypeRegistrationOptions fileTypeRegistration;
    };

    explicit CKestovaApp(Options options);
    ~CKestovaApp() override;

    // Start-up; false ends the program at once.
    bool initInstance();
    // Shutdown: saves the settings (unless cancelled at start-up) and closes the splash.
    void exitInstance();

    const QList<Step>& completedSteps() const { return steps_; }
    const CCommandLineInfoEx& commandLine() const { return commandLine_; }
    CAppState& state() { return state_; }
    SettingsStore& settings() { return *settings_; }
    const AppFonts& fonts() const { return fonts_; }
    CKestovaDoc* document() const { return doc_.get(); }
    CMainFrame* mainFrame() const { return frame_.get(); }
    CKestovaView* view() const { return view_; }
    CSplash* splash() const { return splash_; }
    // What the file type registration did; it never stops start-up.
    const FileTypeRegistrationResult& fileTypeRegistration() const { return fileTypeRegistration_; }

    // Commands of the application (the frame calls them).
    void changeIntercom();
    void refreshAlphas();
    void preferences();
    void createShortcut();
    void about();
    void help();
    void helpContents();
    void usingHelp();
    void releaseNotes();
    void closeSplash();

private:
    bool chooseLanguage();
    void createFonts();
    void loadSettings();
    void chooseStartName();
    bool runStartupPreferences();
    void saveSettingsAndRegister();
    void createWindows();
    bool openStartIntercom();
    void showWindow();
    void startSplash();
    void wireCommands();
    QWidget* dialogParent() const;
    // After a flow of modal dialogs: the frame is the active window again.
    void reactivateFrame();

    Options options_;
    CCommandLineInfoEx commandLine_;
    std::unique_ptr<SettingsStore> settings_;
    CAppState state_;
    AppFonts fonts_;
    QTranslator translator_;
    bool translatorInstalled_ = false;
    std::unique_ptr<CKestovaDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
    CKestovaView* view_ = nullptr;  // owned by the frame
    QPointer<CSplash> splash_;
    FileTypeRegistrationResult fileTypeRegistration_;
    QList<Step> steps_;
    qint64 startedMs_ = 0;
};

}  // namespace vexilor
