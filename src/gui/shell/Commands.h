#pragma once

#include <QKeySequence>
#include <QString>

#include <span>

namespace vexilor {

struct CAppState;
class CIntercom;

// The command vocabulary of the menu, the toolbar and the keyboard. The ids are also the ids of the
// prompt strings (status-bar text, then after the line break the tooltip).
namespace cmd {
inline constexpr int kChangeIntercom = 57600;
inline constexpr int kRefreshAlphas = 32802;
inline constexpr int kSave = 57603;
inline constexpr int kExport = 32800;
inline constexpr int kExit = 57665;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kPreferences = 32809;
inline constexpr int kCreateShortcut = 32808;
inline constexpr int kHelpTopics = 57667;
inline constexpr int kUsingHelp = 57668;
inline constexpr int kReleaseNotes = 32772;
inline constexpr int kAbout = 57664;
inline constexpr int kHelp = 57670;         // F1: help for the current context
inline constexpr int kContextHelp = 57669;  // Shift+F1: what's-this mode
inline constexpr int kHelpIndex = 57671;    // the help contents, as Help Topics
inline constexpr int kUndo = 57643;         // Edit > Undo, made by the document's undo stack
inline constexpr int kRedo = 57644;         // Edit > Redo
inline constexpr int kSeparator = 0;        // in the toolbar layout
}  // namespace cmd

enum class MenuId { None, File, View, Options, Help };

struct CommandSpec {
    int id;
    MenuId menu;           // None: keyboard or toolbar only
    const char* menuText;  // with its mnemonic; empty for keyboard-only commands
    const char* keys;      // portable key text ("Ctrl+N"); empty for none
    const char* icon;      // toolbar icon name; empty when not on the toolbar
};

// Every command of the frame in menu order.
std::span<const CommandSpec> CommandTable();
const CommandSpec* FindCommand(int id);

// The toolbar, left to right; cmd::kSeparator marks a separator.
std::span<const int> ToolbarLayout();

// The menu text as shown (translated; the key text is shown by the menu itself).
QString MenuText(const CommandSpec& spec);
QKeySequence CommandKeys(const CommandSpec& spec);

// The first line of the command's prompt (status bar) and the second (tooltip); empty when the
// command has no prompt.
QString StatusPrompt(int id);
QString ToolTipPrompt(int id);

// Refresh Alphas needs something to contact: the main or the partner address is a dotted IPv4
// address other than 0.0.0.0.
bool HasUsableAddress(const CIntercom& intercom);

// The application's enabling rules: everything is enabled except Refresh Alphas without a usable
// address and Save Restrictions while the restrictions file is read-only.
bool IsCommandEnabled(int id, const CAppState& app, bool readOnly);

}  // namespace vexilor
