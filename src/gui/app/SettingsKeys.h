#pragma once

#include <QString>
#include <QVariant>

#include <cstdint>
#include <span>

namespace vexilor {

// Every fixed value the program keeps in the user's settings. Sections are QSettings groups
// ("Settings/Preferences" is the section "Settings\Preferences").
enum class SettingKey {
    // Settings/Preferences
    DefaultIntercom,
    ShowWelcome,
    RequireDoubleClick,
    AlphaSize,
    LaunchHelp,
    PopupHelpID,
    DiscoveryTargets,
    CodePage,
    // Settings/Directories
    TovrinExeDirectory,
    ResFilesDirectory,
    CfgFilesDirectory,
    // Windows/Application: large icons, then the main window's placement
    LargeIcons,
    PlacementFlags,
    PlacementShowCmd,
    PlacementX1,
    PlacementY1,
    PlacementX2,
    PlacementY2,
    // Windows/Lists
    AlternateLineShading,
    // Windows/Colors
    AlternateLineShadingOffsets,
    AllowText,
    DenyText,
    InheritText,
    SelectedAllowText,
    SelectedDenyText,
    SelectedInheritText,
    NormalBackground,
    SelectedBackground,
    UnfocusedBackground,
    ReadOnlyBackground,
    // Windows/Radios: the category bar
    RadiosLargeIcons,
    RadiosWidth,
    RadiosHeight,
};

enum class SettingType { Int, String };

// Defaults that come from the desktop rather than from the table.
enum class SystemDefault {
    None,
    LargeScreen,   // 1 when the screen is taller than 800 pixels, else 0
    WindowText,    // the system window-text colour
    Window,        // the system window colour
    Highlight,     // the system highlight colour
    ButtonShadow,  // the system button-shadow colour
};

struct SettingSpec {
    SettingKey key;
    const char* group;
    const char* name;
    SettingType type;
    int intDefault;  // Int values whose default is fixed; strings default to empty
    SystemDefault system;
};

// What the desktop supplies for the system defaults; colours as 0x00BBGGRR.
struct SystemDefaults {
    int screenHeight = 0;
    std::uint32_t windowText = 0;
    std::uint32_t window = 0;
    std::uint32_t highlight = 0;
    std::uint32_t buttonShadow = 0;

    // From the primary screen and the application palette (needs a QGuiApplication).
    static SystemDefaults fromSystem();
};

// The whole table, in SettingKey order.
std::span<const SettingSpec> SettingsTable();
const SettingSpec& SpecOf(SettingKey key);

// "group/name", as QSettings addresses the value.
QString SettingPath(SettingKey key);

// An int or a QString.
QVariant DefaultValue(SettingKey key, const SystemDefaults& system);

// Column layouts of the lists: binary values in "Windows/Lists" named layout key + part.
enum class ListLayoutPart { ColumnWidths, ColumnOrder };
QString ListLayoutPath(const QString& layoutKey, ListLayoutPart part);

// The group under which the main frame keeps its toolbar and status bar state.
inline constexpr char kToolBarsGroup[] = "Windows/ToolBars";

}  // namespace vexilor
