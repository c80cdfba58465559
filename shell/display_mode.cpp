#include <cstring>

#include "scene/scene.h"
#include "shell/shell.h"

namespace nimbrost {

namespace {

// Windows keeps a window's frame as it was until the frame is recomputed, so a new style shows
// only after SetWindowPos with SWP_FRAMECHANGED; the window keeps its place and size.
void applyStyle(LONG style) {
    SetWindowLongA(scene.mainWindow, GWL_STYLE, style);
    SetWindowPos(scene.mainWindow, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

} // namespace

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
        applyStyle(style);
    } else {
        ChangeDisplaySettingsA(&mode, 0);
        style |= WS_CAPTION;
        ShowCursor(TRUE);
        applyStyle(style);
    }
}

} // namespace nimbrost
