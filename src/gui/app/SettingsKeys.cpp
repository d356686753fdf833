#include "app/SettingsKeys.h"

#include "app/ColorRef.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include <array>
#include <cstddef>

namespace vexilor {

namespace {

constexpr char kPreferences[] = "Settings/Preferences";
constexpr char kDirectories[] = "Settings/Directories";
constexpr char kApplication[] = "Windows/Application";
constexpr char kLists[] = "Windows/Lists";
constexpr char kColors[] = "Windows/Colors";
constexpr char kRadios[] = "Windows/Radios";

using K = SettingKey;
using T = SettingType;
using D = SystemDefault;

constexpr int Rgb(int r, int g, int b)
{
    return static_cast<int>(MakeColorRef(r, g, b));
}

constexpr auto kSpecs = std::to_array<SettingSpec>({
    {K::DefaultIntercom, kPreferences, "DefaultIntercom", T::String, 0, D::None},
    {K::ShowWelcome, kPreferences, "ShowWelcome", T::String, 0, D::None},
    {K::RequireDoubleClick, kPreferences, "RequireDoubleClick", T::Int, 1, D::None},
    {K::AlphaSize, kPreferences, "AlphaSize", T::Int, 4, D::None},
    {K::LaunchHelp, kPreferences, "LaunchHelp", T::Int, 1, D::None},
    {K::PopupHelpID, kPreferences, "PopupHelpID", T::Int, 0, D::None},
    // Where discovery requests go: IPv4 addresses separated by blanks; empty asks every adapter's
    // broadcast address.
    {K::DiscoveryTargets, kPreferences, "DiscoveryTargets", T::String, 0, D::None},
    {K::CodePage, kPreferences, "CodePage", T::Int, 1252, D::None},

    {K::TovrinExeDirectory, kDirectories, "TovrinExeDirectory", T::String, 0, D::None},
    {K::ResFilesDirectory, kDirectories, "ResFilesDirectory", T::String, 0, D::None},
    {K::CfgFilesDirectory, kDirectories, "CfgFilesDirectory", T::String, 0, D::None},

    {K::LargeIcons, kApplication, "LargeIcons", T::Int, 0, D::LargeScreen},
    {K::PlacementFlags, kApplication, "flags", T::Int, -1, D::None},
    {K::PlacementShowCmd, kApplication, "showCmd", T::Int, -1, D::None},
    {K::PlacementX1, kApplication, "x1", T::Int, -1, D::None},
    {K::PlacementY1, kApplication, "y1", T::Int, -1, D::None},
    {K::PlacementX2, kApplication, "x2", T::Int, -1, D::None},
    {K::PlacementY2, kApplication, "y2", T::Int, -1, D::None},

    {K::AlternateLineShading, kLists, "AlternateLineShading", T::Int, 2, D::None},

    {K::AlternateLineShadingOffsets, kColors, "AlternateLineShadingOffsets", T::Int, Rgb(10, 10, 10), D::None},
    {K::AllowText, kColors, "AllowText", T::Int, Rgb(0, 128, 0), D::None},
    {K::DenyText, kColors, "DenyText", T::Int, Rgb(160, 0, 0), D::None},
    {K::InheritText, kColors, "InheritText", T::Int, 0, D::WindowText},
    {K::SelectedAllowText, kColors, "SelectedAllowText", T::Int, Rgb(0, 255, 0), D::None},
    {K::SelectedDenyText, kColors, "SelectedDenyText", T::Int, Rgb(255, 0, 0), D::None},
    {K::SelectedInheritText, kColors, "SelectedInheritText", T::Int, 0, D::Window},
    {K::NormalBackground, kColors, "NormalBackground", T::Int, 0, D::Window},
    {K::SelectedBackground, kColors, "SelectedBackground", T::Int, 0, D::Highlight},
    {K::UnfocusedBackground, kColors, "UnfocusedBackground", T::Int, 0, D::ButtonShadow},
    {K::ReadOnlyBackground, kColors, "ReadOnlyBackground", T::Int, Rgb(255, 224, 255), D::None},

    {K::RadiosLargeIcons, kRadios, "LargeIcons", T::Int, 0, D::None},
    {K::RadiosWidth, kRadios, "Width", T::Int, 216, D::None},
    {K::RadiosHeight, kRadios, "Height", T::Int, 244, D::None},
});

constexpr bool InKeyOrder()
{
    for (std::size_t i = 0; i < kSpecs.size(); ++i) {
        if (static_cast<std::size_t>(kSpecs[i].key) != i)
            return false;
    }
    return true;
}
static_assert(InKeyOrder(), "the settings table lists every key once, in SettingKey order");
static_assert(kSpecs.back().key == SettingKey::RadiosHeight, "a key is missing from the table");

}  // namespace

SystemDefaults SystemDefaults::fromSystem()
{
    SystemDefaults out;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        out.screenHeight = screen->geometry().height();
    const QPalette palette = QGuiApplication::palette();
    out.windowText = ToColorRef(palette.color(QPalette::Active, QPalette::Text));
    out.window = ToColorRef(palette.color(QPalette::Active, QPalette::Base));
    out.highlight = ToColorRef(palette.color(QPalette::Active, QPalette::Highlight));
    out.buttonShadow = ToColorRef(palette.color(QPalette::Active, QPalette::Dark));
    return out;
}

std::span<const SettingSpec> SettingsTable()
{
    return kSpecs;
}

const SettingSpec& SpecOf(SettingKey key)
{
    return kSpecs[static_cast<std::size_t>(key)];
}

QString SettingPath(SettingKey key)
{
    const SettingSpec& spec = SpecOf(key);
    return QString::fromLatin1(spec.group) + u'/' + QString::fromLatin1(spec.name);
}

QVariant DefaultValue(SettingKey key, const SystemDefaults& system)
{
    const SettingSpec& spec = SpecOf(key);
    if (spec.type == SettingType::String)
        return QString();
    switch (spec.system) {
    case SystemDefault::None: return spec.intDefault;
    case SystemDefault::LargeScreen: return system.screenHeight > 800 ? 1 : 0;
    case SystemDefault::WindowText: return static_cast<int>(system.windowText);
    case SystemDefault::Window: return static_cast<int>(system.window);
    case SystemDefault::Highlight: return static_cast<int>(system.highlight);
    case SystemDefault::ButtonShadow: return static_cast<int>(system.buttonShadow);
    }
    return spec.intDefault;
}

QString ListLayoutPath(const QString& layoutKey, ListLayoutPart part)
{
    const auto suffix = part == ListLayoutPart::ColumnWidths ? QStringLiteral("ColumnWidths")
                                                             : QStringLiteral("ColumnOrder");
    return QString::fromLatin1(kLists) + u'/' + layoutKey + suffix;
}

}  // namespace vexilor
