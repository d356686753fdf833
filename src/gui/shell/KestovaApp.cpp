#include "shell/KestovaApp.h"

#include "app/SettingsStore.h"
#include "intercoms/RefreshAlphas.h"
#include "intercoms/SelectIntercom.h"
#include "shell/AboutBox.h"
#include "shell/AppPlaceWindows.h"
#include "shell/Commands.h"
#include "shell/DlgPrefs.h"
#include "shell/DlgShortcut.h"
#include "shell/Help.h"
#include "shell/Language.h"
#include "shell/MainFrame.h"
#include "shell/Splash.h"
#include "shell/WindowPlacement.h"
#include "views/KestovaView.h"
#include "widgets/Icons.h"

#include <QApplication>
#include <QDateTime>
#include <QFontDatabase>
#include <QLoggingCategory>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace vexilor {

namespace {

// QT_LOGGING_RULES="vexilor.startup.info=true" reports when the main window first paints.
Q_LOGGING_CATEGORY(lcStartup, "vexilor.startup", QtWarningMsg)

// Reports the main window's first paint once, then removes itself.
class FirstPaintReporter : public QObject {
public:
    FirstPaintReporter(QWidget* window, qint64 startedMs) : QObject(window), startedMs_(startedMs)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            qCInfo(lcStartup, "main window shown at %lld (%lld ms after start-up began)", now, now - startedMs_);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    qint64 startedMs_;
};

}  // namespace

QString ChooseStartName(const CCommandLineInfoEx& commandLine, const QString& defaultIntercom)
{
    if (!commandLine.fileName().isEmpty()) {
        // A restrictions file opened from the desktop names its intercom, as a dropped one does.
        const QString intercom = IntercomOfRestrictionsFile(commandLine.fileName());
        return intercom.isEmpty() ? commandLine.fileName() : intercom;
    }
    const QString fromSwitch = commandLine.intercomSwitch();
    return fromSwitch.isEmpty() ? defaultIntercom : fromSwitch;
}

CKestovaApp::CKestovaApp(Options options)
    : options_(std::move(options)), startedMs_(QDateTime::currentMSecsSinceEpoch())
{
    settings_ = options_.settings ? std::move(options_.settings) : std::make_unique<SettingsStore>();
    state_.settings = settings_.get();
}

CKestovaApp::~CKestovaApp()
{
    if (splash_)
        delete splash_.data();
    // The view and the frame refer to the document: they go first.
    frame_.reset();
    doc_.reset();
    if (translatorInstalled_)
        QCoreApplication::removeTranslator(&translator_);
}

bool CKestovaApp::initInstance()
{
    // Each step either succeeds and is recorded, or ends start-up.
    const auto run = [this](Step step, const std::function<bool()>& body) {
        if (!body())
            return false;
        steps_.append(step);
        return true;
    };
    return run(Step::CommandLine, [this] { commandLine_ = CCommandLineInfoEx(options_.parameters); return true; }) &&
           run(Step::Language, [this] { return chooseLanguage(); }) &&
           run(Step::Fonts, [this] { createFonts(); return true; }) &&
           run(Step::LoadSettings, [this] { loadSettings(); return true; }) &&
           run(Step::StartName, [this] { chooseStartName(); return true; }) &&
           run(Step::StartupPreferences, [this] { return runStartupPreferences(); }) &&
           run(Step::SaveSettings, [this] { saveSettingsAndRegister(); return true; }) &&
           run(Step::CreateWindows, [this] { createWindows(); return true; }) &&
           run(Step::NewDocument, [this] { return openStartIntercom(); }) &&
           run(Step::ShowWindow, [this] { showWindow(); return true; }) &&
           run(Step::Splash, [this] { startSplash(); return true; });
}

bool CKestovaApp::chooseLanguage()
{
    const unsigned thread = options_.threadLocaleId.value_or(LocaleIdOf(QLocale::system()));
    const LanguageChoice choice = ChooseLanguage(thread == 0 ? 1033 : thread, commandLine_.languageSwitch());
    state_.languageId = choice.localeId;
    if (choice.localeId != thread && LocaleOf(choice.localeId).language() != QLocale::C)
        QLocale::setDefault(LocaleOf(choice.localeId));

    const QStringList dirs = options_.translationDirectories.isEmpty()
                                 ? TranslationDirectories(QCoreApplication::applicationDirPath())
                                 : options_.translationDirectories;
    state_.languageLibraryName = LoadLanguageFile(translator_, choice.libraryId, dirs);
    if (!translator_.isEmpty())
        translatorInstalled_ = QCoreApplication::installTranslator(&translator_);
    return true;
}

void CKestovaApp::createFonts()
{
    fonts_.menu = QApplication::font("QMenu");
    // Symbols of the lists: a third larger than the menu font.
    fonts_.symbol = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    fonts_.symbol.setPointSizeF(fonts_.menu.pointSizeF() * 4.0 / 3.0);
    fonts_.title = QApplication::font();
    fonts_.title.setPointSizeF(12.5);
    fonts_.title.setWeight(QFont::Bold);
    fonts_.list = QApplication::font("QAbstractItemView");
    fonts_.boldList = fonts_.list;
}

void CKestovaApp::loadSettings()
{
    state_.prefs = settings_->loadSettings();
}

void CKestovaApp::chooseStartName()
{
    const QString name = ChooseStartName(commandLine_, settings_->readString(SettingKey::DefaultIntercom));
    if (!name.isEmpty()) {
        state_.startIntercomName = name;
        state_.startIntercomGiven = true;
    }
}

bool CKestovaApp::runStartupPreferences()
{
    bool ok = false;
    if (options_.startupPreferences) {
        ok = options_.startupPreferences(state_);
    } else {
        CDlgPrefs dialog(state_, true, nullptr);
        ok = dialog.exec() == QDialog::Accepted;
    }
    if (!ok)
        settings_->setDoNotSave(true);
    return ok;
}

void CKestovaApp::saveSettingsAndRegister()
{
    settings_->saveSettings(state_.prefs);
    // Lets the desktop open restrictions files with this program; a failure is only reported.
    if (!options_.registerFileType)
        return;
    fileTypeRegistration_ = RegisterFileType(options_.fileTypeRegistration);
    for (const QString& error : std::as_const(fileTypeRegistration_.errors))
        qCInfo(lcStartup, "file type not registered: %s", qUtf8Printable(error));
}

void CKestovaApp::createWindows()
{
    CKestovaDoc::Services services = options_.services;
    if (!services.selectIntercom) {
        services.selectIntercom = [this](const QString& preselect) {
            return SelectIntercom(state_, preselect, dialogParent());
        };
    }
    if (!services.refreshAlphas) {
        services.refreshAlphas = [this](CIntercom& current) {
            closeSplash();
            RefreshAlphas(state_, current, dialogParent());
        };
    }
    if (!services.chooseExportTarget) {
        services.chooseExportTarget = [this](const CIntercom& current) {
            closeSplash();
            return ChooseExportTarget(state_, current, dialogParent());
        };
    }
    doc_ = std::make_unique<CKestovaDoc>(state_, std::move(services));
    frame_ = std::make_unique<CMainFrame>(state_, *doc_);
    QApplication::setWindowIcon(AppIcon(QStringLiteral("vexilor")));
    view_ = new CKestovaView(*doc_, state_, &CreateAppPlaceWindow, frame_.get());
    frame_->setView(view_);
    wireCommands();
    connect(frame_.get(), &CMainFrame::closing, this, [this] { closeSplash(); });
    // An export asks for "Change Intercom" with the exported intercom preselected.
    connect(doc_.get(), &CKestovaDoc::changeIntercomRequested, this, [this] { changeIntercom(); },
            Qt::QueuedConnection);
}

void CKestovaApp::wireCommands()
{
    CMainFrame& f = *frame_;
    f.setHandler(cmd::kChangeIntercom, [this] { changeIntercom(); });
    f.setHandler(cmd::kRefreshAlphas, [this] { refreshAlphas(); });
    f.setHandler(cmd::kPreferences, [this] { preferences(); });
    f.setHandler(cmd::kCreateShortcut, [this] { createShortcut(); });
    f.setHandler(cmd::kAbout, [this] { about(); });
    f.setHandler(cmd::kHelp, [this] { help(); });
    f.setHandler(cmd::kHelpTopics, [this] { helpContents(); });
    f.setHandler(cmd::kHelpIndex, [this] { helpContents(); });
    f.setHandler(cmd::kUsingHelp, [this] { usingHelp(); });
    f.setHandler(cmd::kReleaseNotes, [this] { releaseNotes(); });
    f.setHandler(cmd::kExport, [this] { closeSplash(); doc_->exportRestrictions(); });
}

bool CKestovaApp::openStartIntercom()
{
    if (!doc_->newDocument())
        return false;
    view_->rebuild();
    frame_->updateCommandUI();
    return true;
}

void CKestovaApp::showWindow()
{
    const std::optional<int> state = frame_->restoreLayout();
    if (!options_.showWindow)
        return;
    if (lcStartup().isInfoEnabled())
        new FirstPaintReporter(frame_.get(), startedMs_);
    if (state) {
        ShowWithState(*frame_, *state == showcmd::kHide ? showcmd::kNormal : *state);
    } else {
        // First run: maximized, over a normal size of most of the screen for when it is restored
        // (and for a desktop that does not maximize).
        if (const QScreen* screen = frame_->screen()) {
            const QRect area = screen->availableGeometry();
            const QSize size = (area.size() * 0.8).expandedTo(frame_->minimumSizeHint()).boundedTo(area.size());
            frame_->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, area));
        }
        frame_->showMaximized();
    }
    frame_->raise();
    frame_->activateWindow();
}

void CKestovaApp::startSplash()
{
    if (commandLine_.noSplash() || !options_.showWindow)
        return;
    QPointer<CMainFrame> frame = frame_.get();
    splash_ = new CSplash([frame] { return frame && frame->isVisible(); }, CSplash::kDisplayMs, this);
    splash_->show();
}

void CKestovaApp::exitInstance()
{
    settings_->saveSettings(state_.prefs);
    closeSplash();
}

void CKestovaApp::closeSplash()
{
    if (splash_)
        splash_->close();
}

QWidget* CKestovaApp::dialogParent() const
{
    return frame_ && frame_->isVisible() ? frame_.get() : nullptr;
}

void CKestovaApp::changeIntercom()
{
    if (!doc_->saveModified())
        return;
    if (doc_->newDocument())
        view_->rebuild();
    frame_->updateCommandUI();
    reactivateFrame();
}

void CKestovaApp::refreshAlphas()
{
    closeSplash();
    RefreshAlphas(state_, state_.intercom, dialogParent());
    view_->selectionChanged(paneid::kEditPane);
    reactivateFrame();
}

void CKestovaApp::reactivateFrame()
{
    // The window manager may have handed the keyboard back to the frame while a modal dialog
    // still blocked it (the progress dialog of a quick refresh opens right after the selection
    // dialog closes); the platform then passed the activation on to that dialog, which was gone
    // before it arrived, and the frame was left without an active window and without focus.
    if (frame_ && frame_->isVisible() && !QApplication::activeModalWidget())
        frame_->activateWindow();
}

void CKestovaApp::preferences()
{
    closeSplash();
    state_.alphaSizeChanged = false;
    CDlgPrefs dialog(state_, false, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.alphaSizeChanged() || state_.alphaSizeChanged)
        view_->selectionChanged(paneid::kEditPane);
    else
        view_->update();  // colours may have changed
}

void CKestovaApp::createShortcut()
{
    closeSplash();
    CDlgShortcut dialog(state_, dialogParent());
    dialog.exec();
}

void CKestovaApp::about()
{
    CDlgAbout dialog(state_, dialogParent());
    dialog.exec();
}

void CKestovaApp::help()
{
    ShowHelp(state_, view_ != nullptr ? view_->currentHelpContext() : 0, dialogParent());
}

void CKestovaApp::helpContents()
{
    ShowHelpContents(state_, dialogParent());
}

void CKestovaApp::usingHelp()
{
    ShowUsingHelp(state_, dialogParent());
}

void CKestovaApp::releaseNotes()
{
    ShowReleaseNotes(dialogParent());
}

}  // namespace vexilor
