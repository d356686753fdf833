#include "shell/Help.h"

#include "app/AppState.h"
#include "app/Prompts.h"
#include "app/TextFormat.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cstdint>

namespace vexilor {

namespace {

// Dialogs and other resources have help ids 0x20000 + their context; those are topics, anything
// else is a pop-up.
constexpr std::uint32_t kTopicBase = 0x20000;
constexpr std::uint32_t kTopicLast = 0x2FFFF;
constexpr unsigned kTopicStyle = 1;
constexpr unsigned kPopupStyle = 8;

bool OpenInBrowser(const QString& localFile)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(localFile));
}

UrlOpener g_opener = &OpenInBrowser;

// The source tree's res/ folder, for a program run from its build tree.
QString SourceResDirectory()
{
    const QDir dir(QStringLiteral(VEXILOR_SOURCE_RES_DIR));
    return dir.exists() ? dir.absolutePath() : QString();
}

bool OpenPage(const QString& dir, const QString& page)
{
    if (dir.isEmpty()) {
        Prompts::show(QStringLiteral("The help pages could not be found."), Prompts::Icon::Warning);
        return false;
    }
    return g_opener(QDir(dir).filePath(page));
}

}  // namespace

QString FindProgramFile(const QString& programDir, const QString& relative, const QString& sourceRes)
{
    QStringList candidates;
    if (!programDir.isEmpty()) {
        const QDir program(programDir);
        candidates << program.filePath(relative)
                   << program.filePath(QStringLiteral("../share/vexilor/") + relative);
    }
    if (!sourceRes.isEmpty())
        candidates << QDir(sourceRes).filePath(relative);
    for (const QString& candidate : std::as_const(candidates)) {
        const QFileInfo info(candidate);
        if (info.exists())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return {};
}

QString ProgramResourceFile(const QString& relative)
{
    return FindProgramFile(QCoreApplication::applicationDirPath(), relative, SourceResDirectory());
}

QString HelpDirectory()
{
    const QString dir = ProgramResourceFile(QStringLiteral("help"));
    return QFileInfo(dir).isDir() ? dir : QString();
}

QString HelpTopicFile(const QString& dir, int helpContext)
{
    return QDir(dir).filePath(QStringLiteral("ctx-%1.html").arg(helpContext));
}

bool ShowHelp(CAppState& app, int helpContext, QWidget* /*parent*/)
{
    // Callers give the context number (317) or, for a control, a full help id.
    std::uint32_t id = std::uint32_t(helpContext);
    if (id != 0 && id < kTopicBase)
        id += kTopicBase;
    const bool topic = id >= kTopicBase && id <= kTopicLast;
    if (app.prefs.popupHelpId)
        Prompts::show(FormatText(u"Help ID: %lx - Style: %u", {id, topic ? kTopicStyle : kPopupStyle}),
                      Prompts::Icon::Warning);
    if (id == 0 || !app.prefs.launchHelp)
        return false;

    const QString dir = HelpDirectory();
    QString page = QFileInfo(HelpTopicFile(dir, int(topic ? id - kTopicBase : id))).fileName();
    if (!dir.isEmpty() && !QFileInfo::exists(QDir(dir).filePath(page)))
        page = QStringLiteral("index.html");  // a context without a page of its own
    return OpenPage(dir, page);
}

bool ShowHelpContents(CAppState& app, QWidget* /*parent*/)
{
    return app.prefs.launchHelp && OpenPage(HelpDirectory(), QStringLiteral("index.html"));
}

bool ShowUsingHelp(CAppState& app, QWidget* /*parent*/)
{
    return app.prefs.launchHelp && OpenPage(HelpDirectory(), QStringLiteral("using-help.html"));
}

bool ShowReleaseNotes(QWidget* /*parent*/)
{
    const QString file = ProgramResourceFile(QStringLiteral("WHATSNEW.HTM"));
    if (file.isEmpty()) {
        Prompts::show(QStringLiteral("The release notes (WHATSNEW.HTM) could not be found beside the program."),
                      Prompts::Icon::Warning);
        return false;
    }
    return g_opener(file);
}

UrlOpener SetHelpOpener(UrlOpener opener)
{
    const UrlOpener previous = g_opener;
    g_opener = opener != nullptr ? opener : &OpenInBrowser;
    return previous;
}

}  // namespace vexilor
