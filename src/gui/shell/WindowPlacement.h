#pragma once

#include <QRect>

#include <optional>

class QWidget;

namespace vexilor {

class SettingsStore;

// Show states as the settings store them (the values of the system's show commands).
namespace showcmd {
inline constexpr int kHide = 0;
inline constexpr int kNormal = 1;
inline constexpr int kMinimized = 2;
inline constexpr int kMaximized = 3;
inline constexpr int kMinimize = 6;
inline constexpr int kMinimizedNoActivate = 7;
inline constexpr int kRestore = 9;
}  // namespace showcmd

// The main window's placement under "Windows/Application": flags, show state and the normal
// position as left, top, right, bottom (right and bottom exclusive).
struct WindowPlacement {
    int flags = 0;
    int showCmd = showcmd::kNormal;
    QRect normal;

    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// The stored placement; nothing when any of the six values is missing (or holds the -1 of none).
std::optional<WindowPlacement> LoadPlacement(const SettingsStore& settings);
void SavePlacement(SettingsStore& settings, const WindowPlacement& placement);

// Fits rect into the work area: no larger than it, shifted back from beyond its right and bottom
// edges, then from before its left and top edges.
QRect FitToWorkArea(QRect rect, const QRect& workArea);

// The show state to apply: a stored minimized state becomes restore, and a window that is already
// minimized or maximized keeps its state.
int ShowCmdToApply(int stored, bool windowMinimized, bool windowMaximized);

// The window's placement now; a window that is not visible is stored as hidden.
WindowPlacement CapturePlacement(const QWidget& window);

// Restores the stored placement on window (fitted to the work area when there is one screen) and
// returns the show state to show it with; nothing when no complete placement is stored, and the
// window is then left alone (start-up shows it maximized).
std::optional<int> RestorePlacement(QWidget& window, const SettingsStore& settings);

// Shows the window in a stored show state (hidden counts as normal: start-up always shows it).
void ShowWithState(QWidget& window, int showCmd);

}  // namespace vexilor
