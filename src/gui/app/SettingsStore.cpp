#include "app/SettingsStore.h"

#include "app/Directories.h"

#include <QMetaType>
#include <QSettings>

#include <array>
#include <cstdint>
#include <utility>

namespace vexilor {

namespace {

constexpr std::array<std::pair<SettingKey, std::uint32_t ListColors::*>, 11> kColorFields{{
    {SettingKey::AlternateLineShadingOffsets, &ListColors::shadingOffsets},
    {SettingKey::AllowText, &ListColors::allowText},
    {SettingKey::DenyText, &ListColors::denyText},
    {SettingKey::InheritText, &ListColors::inheritText},
    {SettingKey::SelectedAllowText, &ListColors::selectedAllowText},
    {SettingKey::SelectedDenyText, &ListColors::selectedDenyText},
    {SettingKey::SelectedInheritText, &ListColors::selectedInheritText},
    {SettingKey::NormalBackground, &ListColors::normalBackground},
    {SettingKey::SelectedBackground, &ListColors::selectedBackground},
    {SettingKey::UnfocusedBackground, &ListColors::unfocusedBackground},
    {SettingKey::ReadOnlyBackground, &ListColors::readOnlyBackground},
}};

}  // namespace

SettingsStore::SettingsStore()
    : SettingsStore(std::make_unique<QSettings>(QStringLiteral("Halvo"), QStringLiteral("KestovaV2")),
                    SystemDefaults::fromSystem())
{
}

SettingsStore::SettingsStore(std::unique_ptr<QSettings> settings, const SystemDefaults& system)
    : settings_(std::move(settings)), system_(system)
{
}

SettingsStore::~SettingsStore() = default;

Preferences SettingsStore::loadSettings() const
{
    Preferences p;
    p.largeIcons = readInt(SettingKey::LargeIcons) != 0;
    p.requireDoubleClick = readInt(SettingKey::RequireDoubleClick) != 0;
    p.alternateLineShading = readInt(SettingKey::AlternateLineShading);
    p.popupHelpId = readInt(SettingKey::PopupHelpID) != 0;
    p.launchHelp = readInt(SettingKey::LaunchHelp) != 0;
    p.alphaSize = ValidAlphaSize(readInt(SettingKey::AlphaSize));
#ifdef _WIN32
    // Tovrin runs on a PC like this one: its ANSI code page is the system's.
    p.codePage = text::systemCodePage();
#else
    // A code page this platform cannot convert (a file from elsewhere) falls back to the default.
    const int codePage = readInt(SettingKey::CodePage);
    p.codePage = codePage > 0 && text::CodePage::make(static_cast<unsigned>(codePage))
        ? static_cast<unsigned>(codePage)
        : 1252;
#endif
    for (const auto& [key, field] : kColorFields)
        p.colors.*field = static_cast<std::uint32_t>(readInt(key));
    p.tovrinExePath = readString(SettingKey::TovrinExeDirectory);
    p.resFilesDirectory = CanonicalDirectory(readString(SettingKey::ResFilesDirectory));
    p.cfgFilesDirectory = CanonicalDirectory(readString(SettingKey::CfgFilesDirectory));
    return p;
}

void SettingsStore::saveSettings(const Preferences& p)
{
    if (doNotSave_)
        return;
    const auto put = [this](SettingKey key, const QVariant& value) {
        settings_->setValue(SettingPath(key), value);
    };
    put(SettingKey::LargeIcons, p.largeIcons ? 1 : 0);
    put(SettingKey::AlphaSize, ValidAlphaSize(p.alphaSize));
    put(SettingKey::RequireDoubleClick, p.requireDoubleClick ? 1 : 0);
    put(SettingKey::AlternateLineShading, p.alternateLineShading);
    put(SettingKey::PopupHelpID, p.popupHelpId ? 1 : 0);
    put(SettingKey::LaunchHelp, p.launchHelp ? 1 : 0);
#ifndef _WIN32
    put(SettingKey::CodePage, static_cast<int>(p.codePage));
#endif
    put(SettingKey::TovrinExeDirectory, p.tovrinExePath);
    put(SettingKey::ResFilesDirectory, p.resFilesDirectory);
    put(SettingKey::CfgFilesDirectory, p.cfgFilesDirectory);
    for (const auto& [key, field] : kColorFields)
        put(key, static_cast<int>(p.colors.*field));
    settings_->sync();
}

bool SettingsStore::contains(SettingKey key) const
{
    return settings_->contains(SettingPath(key));
}

int SettingsStore::readInt(SettingKey key) const
{
    const QVariant v = settings_->value(SettingPath(key));
    bool ok = false;
    // Colours and other 32-bit values may come back as unsigned; keep their bit pattern.
    const qlonglong n = v.isValid() ? v.toLongLong(&ok) : 0;
    if (!ok || n < qlonglong{INT32_MIN} || n > qlonglong{UINT32_MAX})
        return defaultValue(key).toInt();
    return static_cast<int>(static_cast<std::uint32_t>(n));
}

QString SettingsStore::readString(SettingKey key) const
{
    const QVariant v = settings_->value(SettingPath(key));
    if (v.typeId() != QMetaType::QString)
        return defaultValue(key).toString();
    return v.toString();
}

void SettingsStore::writeInt(SettingKey key, int value)
{
    write(SettingPath(key), value);
}

void SettingsStore::writeString(SettingKey key, const QString& value)
{
    write(SettingPath(key), value);
}

QByteArray SettingsStore::readListLayout(const QString& layoutKey, ListLayoutPart part) const
{
    const QVariant v = settings_->value(ListLayoutPath(layoutKey, part));
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : QByteArray();
}

void SettingsStore::writeListLayout(const QString& layoutKey, ListLayoutPart part,
                                    const QByteArray& bytes)
{
    write(ListLayoutPath(layoutKey, part), bytes);
}

void SettingsStore::write(const QString& path, const QVariant& value)
{
    settings_->setValue(path, value);
    settings_->sync();
}

}  // namespace vexilor
