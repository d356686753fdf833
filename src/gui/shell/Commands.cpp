#include "shell/Commands.h"

#include "app/AppState.h"
#include "app/Strings.h"
#include "comms/Ipv4.h"
#include "intercom/Intercom.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>

namespace vexilor {

namespace {

constexpr char kContext[] = "vexilor::CMainFrame";

#define C(id, menu, text, keys, icon) CommandSpec{id, MenuId::menu, QT_TRANSLATE_NOOP("vexilor::CMainFrame", text), keys, icon}

constexpr auto kCommands = std::to_array<CommandSpec>({
    C(cmd::kChangeIntercom, File, "Change &Intercom...", "Ctrl+N", "change-intercom"),
    C(cmd::kRefreshAlphas, File, "&Refresh Alphas...", "Ctrl+R", "refresh-alphas"),
    C(cmd::kSave, File, "&Save Restrictions", "Ctrl+S", "save"),
    C(cmd::kExport, File, "&Export Restrictions...", "Ctrl+A", ""),
    C(cmd::kExit, File, "E&xit", "Alt+F4", ""),
    C(cmd::kViewToolbar, View, "&Toolbar", "", ""),
    C(cmd::kViewStatusBar, View, "&Status Bar", "", ""),
    C(cmd::kPreferences, Options, "&Preferences...", "Alt+Return", ""),
    C(cmd::kCreateShortcut, Options, "Create &Shortcut", "", ""),
    C(cmd::kHelpTopics, Help, "&Help Topics", "", "help-topics"),
    C(cmd::kUsingHelp, Help, "&Using Help", "", ""),
    C(cmd::kReleaseNotes, Help, "&Release Notes...", "", "release-notes"),
    C(cmd::kAbout, Help, "&About Vexilor...", "", "about"),
    C(cmd::kHelp, None, "", "F1", ""),
    C(cmd::kContextHelp, None, "", "Shift+F1", "context-help"),
    C(cmd::kHelpIndex, None, "", "", ""),
});

#undef C

constexpr auto kToolbar = std::to_array<int>({
    cmd::kChangeIntercom, cmd::kRefreshAlphas, cmd::kSeparator, cmd::kSave, cmd::kSeparator,
    cmd::kHelpTopics, cmd::kContextHelp, cmd::kReleaseNotes, cmd::kAbout,
});

QString PromptLine(int id, int line)
{
    if (!strings::HasText(id))
        return {};
    const QString prompt = strings::Text(id);
    const qsizetype lineBreak = prompt.indexOf(u'\n');
    if (line == 0)
        return lineBreak < 0 ? prompt : prompt.left(lineBreak);
    return lineBreak < 0 ? QString() : prompt.mid(lineBreak + 1);
}

}  // namespace

std::span<const CommandSpec> CommandTable()
{
    return kCommands;
}

const CommandSpec* FindCommand(int id)
{
    const auto it = std::ranges::find(kCommands, id, &CommandSpec::id);
    return it == kCommands.end() ? nullptr : &*it;
}

std::span<const int> ToolbarLayout()
{
    return kToolbar;
}

QString MenuText(const CommandSpec& spec)
{
    return QCoreApplication::translate(kContext, spec.menuText);
}

QKeySequence CommandKeys(const CommandSpec& spec)
{
    return QKeySequence(QString::fromLatin1(spec.keys), QKeySequence::PortableText);
}

QString StatusPrompt(int id)
{
    return PromptLine(id, 0);
}

QString ToolTipPrompt(int id)
{
    return PromptLine(id, 1);
}

bool HasUsableAddress(const CIntercom& intercom)
{
    return comms::usableAddress(intercom.mainAddress).has_value() ||
           comms::usableAddress(intercom.partnerAddress).has_value();
}

bool IsCommandEnabled(int id, const CAppState& app, bool readOnly)
{
    switch (id) {
    case cmd::kRefreshAlphas:
        return HasUsableAddress(app.intercom);
    case cmd::kSave:
        return !readOnly;
    default:
        return true;
    }
}

}  // namespace vexilor
