#pragma once

#include <QString>

class QWidget;

namespace vexilor {

struct CAppState;

// Help is a set of HTML pages opened in the user's browser: index.html (contents),
// using-help.html, and ctx-<context>.html for each help context.

// The help pages: help/ beside the program, else share/vexilor/help above it, else the source
// tree's res/help (a build tree). Empty when none exists.
QString HelpDirectory();

// The first of programDir/relative, programDir/../share/vexilor/relative and sourceRes/relative
// that exists, as a clean absolute path; empty when none does. sourceRes may be empty.
QString FindProgramFile(const QString& programDir, const QString& relative, const QString& sourceRes);

// FindProgramFile for this program: beside it, under its share/vexilor, or in the source tree's res.
QString ProgramResourceFile(const QString& relative);

// The file of a help context's page in directory dir (ctx-<context>.html).
QString HelpTopicFile(const QString& dir, int helpContext);

// Help for the current context (F1). Suppressed when "LaunchHelp" is off; with "PopupHelpID" on,
// shows "Help ID: %lx - Style: %u" first. Context 0 opens nothing. Returns whether a page was
// opened.
bool ShowHelp(CAppState& app, int helpContext, QWidget* parent);
// The contents page, and the page on how to use help; both suppressed when "LaunchHelp" is off.
bool ShowHelpContents(CAppState& app, QWidget* parent);
bool ShowUsingHelp(CAppState& app, QWidget* parent);

// WHATSNEW.HTM, found the way the help pages are; a message when it is missing.
bool ShowReleaseNotes(QWidget* parent);

// Where pages are opened; the browser unless a test replaces it. Returns the previous opener.
using UrlOpener = bool (*)(const QString& localFile);
UrlOpener SetHelpOpener(UrlOpener opener);

}  // namespace vexilor
