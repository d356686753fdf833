#include "shell/WindowPlacement.h"

#include "app/SettingsStore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <array>

namespace vexilor {

namespace {

constexpr std::array kPlacementKeys{
    SettingKey::PlacementFlags, SettingKey::PlacementShowCmd, SettingKey::PlacementX1,
    SettingKey::PlacementY1,    SettingKey::PlacementX2,      SettingKey::PlacementY2,
};

bool IsMinimizedState(int showCmd)
{
    return showCmd == showcmd::kMinimized || showCmd == showcmd::kMinimize ||
           showCmd == showcmd::kMinimizedNoActivate;
}

}  // namespace

std::optional<WindowPlacement> LoadPlacement(const SettingsStore& settings)
{
    std::array<int, kPlacementKeys.size()> values{};
    for (std::size_t i = 0; i < kPlacementKeys.size(); ++i) {
        if (!settings.contains(kPlacementKeys[i]))
            return std::nullopt;
        values[i] = settings.readInt(kPlacementKeys[i]);
        if (values[i] == -1)
            return std::nullopt;
    }
    const auto [flags, show, x1, y1, x2, y2] = values;
    if (x2 <= x1 || y2 <= y1)
        return std::nullopt;
    return WindowPlacement{flags, show, QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1))};
}

void SavePlacement(SettingsStore& settings, const WindowPlacement& placement)
{
    const QRect& r = placement.normal;
    const std::array values{placement.flags, placement.showCmd, r.left(), r.top(),
                            r.left() + r.width(), r.top() + r.height()};
    for (std::size_t i = 0; i < kPlacementKeys.size(); ++i)
        settings.writeInt(kPlacementKeys[i], values[i]);
}

QRect FitToWorkArea(QRect rect, const QRect& workArea)
{
    rect.setWidth(std::min(rect.width(), workArea.width()));
    rect.setHeight(std::min(rect.height(), workArea.height()));
    const int rightExcess = rect.left() + rect.width() - (workArea.left() + workArea.width());
    if (rightExcess > 0)
        rect.translate(-rightExcess, 0);
    const int bottomExcess = rect.top() + rect.height() - (workArea.top() + workArea.height());
    if (bottomExcess > 0)
        rect.translate(0, -bottomExcess);
    if (rect.left() < workArea.left())
        rect.moveLeft(workArea.left());
    if (rect.top() < workArea.top())
        rect.moveTop(workArea.top());
    return rect;
}

int ShowCmdToApply(int stored, bool windowMinimized, bool windowMaximized)
{
    if (windowMinimized)
        return showcmd::kMinimized;
    if (windowMaximized)
        return showcmd::kMaximized;
    return IsMinimizedState(stored) ? showcmd::kRestore : stored;
}

WindowPlacement CapturePlacement(const QWidget& window)
{
    WindowPlacement placement;
    placement.normal = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    if (!window.isVisible())
        placement.showCmd = showcmd::kHide;
    else if (window.isMinimized())
        placement.showCmd = showcmd::kMinimized;
    else if (window.isMaximized())
        placement.showCmd = showcmd::kMaximized;
    else
        placement.showCmd = showcmd::kNormal;
    return placement;
}

std::optional<int> RestorePlacement(QWidget& window, const SettingsStore& settings)
{
    std::optional<WindowPlacement> placement = LoadPlacement(settings);
    if (!placement)
        return std::nullopt;
    QRect rect = placement->normal;
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() == 1)
        rect = FitToWorkArea(rect, screens.front()->availableGeometry());
    window.setGeometry(rect);
    return ShowCmdToApply(placement->showCmd, window.isMinimized(), window.isMaximized());
}

void ShowWithState(QWidget& window, int showCmd)
{
    if (showCmd == showcmd::kMaximized)
        window.showMaximized();
    else if (IsMinimizedState(showCmd))
        window.showMinimized();
    else
        window.showNormal();
}

}  // namespace vexilor
