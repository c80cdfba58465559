#include <cstring>

#include "scene/scene.h"
#include "shell/shell.h"

namespace nimbrost {

// Full screen changes the display mode to width x height, keeping the current depth and
// frequency, and drops the caption; leaving it restores the desktop mode and the caption. The
// window keeps its place and size either way: it was made at (0, 0) at width x height.
void setFullScreen(std::int32_t flag) {
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    mode.dmDriverExtra = 0;
    LONG style = GetWindowLongA(scene.mainWindow, GWL_STYLE);
    if (flag) {
        style &= ~WS_CAPTION;
        EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
        mode.dmPelsWidth = static_cast<DWORD>(scene.width);
        mode.dmPelsHeight = static_cast<DWORD>(scene.height);
        ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
        ShowCursor(FALSE);
        SetWindowLongA(scene.mainWindow, GWL_STYLE, style);
    } else {
        ChangeDisplaySettingsA(&mode, 0);
        style |= WS_CAPTION;
        ShowCursor(TRUE);
        SetWindowLongA(scene.mainWindow, GWL_STYLE, style);
    }
}

} // namespace nimbrost
