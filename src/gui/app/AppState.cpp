#include "app/AppState.h"

namespace vexilor {

void CAppState::changePreferences(const Preferences& now)
{
    if (now == prefs)
        return;
    const Preferences previous = prefs;
    prefs = now;
    Q_EMIT preferencesChanged(previous);
}

}  // namespace vexilor
