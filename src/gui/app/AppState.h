#pragma once

#include "app/Preferences.h"
#include "intercom/Intercom.h"

#include <QObject>
#include <QString>

namespace vexilor {

class SettingsStore;

// What the application object holds from start-up to exit and every window reads: the settings and
// preferences, the intercom that is open and its configuration, and the start name handed from the
// command line (or an export) to the next intercom selection. One instance, owned by CKestovaApp;
// tests make their own.
struct CAppState : public QObject {
    Q_OBJECT

public:
    CAppState() = default;

    // Replaces the preferences. When they differ, preferencesChanged tells every open window, so
    // that a list follows the new click mode, colours, alpha length or Tovrin's menus at once.
    void changePreferences(const Preferences& now);

    SettingsStore* settings = nullptr;  // never null once the application has started
    // Read freely; changed after start-up only through changePreferences.
    Preferences prefs;

    // The start intercom: preselected, and opened without showing the list when startIntercomGiven
    // is set and its configuration file exists. The first selection consumes the flag.
    QString startIntercomName;
    bool startIntercomGiven = false;

    // The intercom that is open (empty before the first one) and its current configuration.
    QString intercomName;
    CIntercom intercom;

    // Set when the preferences dialog changed the alpha size; the lists repaint with the new one.
    bool alphaSizeChanged = false;

    // Language: the locale chosen at start-up and the about box's resource library name.
    unsigned languageId = 1033;
    QString languageLibraryName;

Q_SIGNALS:
    // prefs already holds the new preferences; previous are the ones they replaced.
    void preferencesChanged(const vexilor::Preferences& previous);
};

}  // namespace vexilor
