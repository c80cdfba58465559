// The screen's size and the display modes of its primary output, through RandR. As on Windows,
// only a mode the output offers is taken; any other is refused and nothing changes. A mode change
// puts the program's shown windows into full screen; the desktop's mode brings them back into
// their own rectangles. The desktop's mode is the one the output had before the first change.
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <cstring>

#include "platform/x11/connection.h"
#include "platform/x11/display_modes.h"
#include "platform/x11/windows.h"

namespace {

using platform::connection;

// The primary output (else the first one driven) with its controller, as RandR reported them at
// the last look; each look frees what the one before it read.
struct Output {
    XRRScreenResources *resources;
    XRROutputInfo *output;
    XRRCrtcInfo *crtc;
};
Output output;

// The mode the output had before the program's first change, kept for the way back.
struct DesktopMode {
    bool saved;
    RRMode mode;
    int width, height; // the screen's
};
DesktopMode desktop;

// The refresh period of the current mode in microseconds, read once and again after a change; 0
// until then.
long period = 0;

// Looks at the output now; false without RandR or an output driven.
bool lookAtOutput() {
    XRRFreeCrtcInfo(output.crtc);
    XRRFreeOutputInfo(output.output);
    XRRFreeScreenResources(output.resources);
    output = Output();
    // Without RandR the resources are null.
    if (connection.display == nullptr) {
        return false;
    }
    output.resources = XRRGetScreenResourcesCurrent(connection.display, connection.root);
    const RROutput primary = XRRGetOutputPrimary(connection.display, connection.root);
    for (int i = -1; output.resources != nullptr && i < output.resources->noutput; ++i) {
        const RROutput id = i < 0 ? primary : output.resources->outputs[i];
        XRROutputInfo *info =
            id != None ? XRRGetOutputInfo(connection.display, output.resources, id) : nullptr;
        if (info != nullptr && info->crtc != None) {
            output.output = info;
            output.crtc = XRRGetCrtcInfo(connection.display, output.resources, info->crtc);
            return output.crtc != nullptr;
        }
        if (info != nullptr) {
            XRRFreeOutputInfo(info);
        }
    }
    return false;
}

const XRRModeInfo *modeInfo(RRMode id) {
    for (int i = 0; i < output.resources->nmode; ++i) {
        if (output.resources->modes[i].id == id) {
            return &output.resources->modes[i];
        }
    }
    return nullptr;
}

// The refresh rate in hertz, 0 when RandR does not know it.
double rateOf(const XRRModeInfo &mode) {
    double lines = mode.vTotal;
    if (mode.modeFlags & RR_DoubleScan) {
        lines *= 2;
    }
    if (mode.modeFlags & RR_Interlace) {
        lines /= 2;
    }
    return mode.hTotal != 0 && lines != 0 ? mode.dotClock / (mode.hTotal * lines) : 0;
}

DWORD bitsPerPixel() {
    const int depth = DefaultDepth(connection.display, connection.screen);
    return depth > 16 ? 32 : static_cast<DWORD>(depth);
}

// The offered mode with the request's width, height, depth and frequency. A frequency of 0 or 1
// is the display's default: then another one is taken where the size is offered only at that.
const XRRModeInfo *offeredMode(const DEVMODEA &request) {
    const bool frequencyGiven = request.dmDisplayFrequency > 1;
    for (int i = 0; i < output.output->nmode && request.dmBitsPerPel == bitsPerPixel(); ++i) {
        const XRRModeInfo *mode = modeInfo(output.output->modes[i]);
        if (mode == nullptr || mode->width != request.dmPelsWidth ||
            mode->height != request.dmPelsHeight) {
            continue;
        }
        if (!frequencyGiven || std::lround(rateOf(*mode)) == request.dmDisplayFrequency) {
            return mode;
        }
    }
    return nullptr;
}

// Sets the controller to the mode and the screen to the size, keeping the pixels' size, in the
// order the server accepts: the screen grows before the controller's picture does and shrinks
// after it. One output takes the whole screen.
bool applyMode(RRMode mode, int width, int height) {
    Display *display = connection.display;
    Screen *screen = ScreenOfDisplay(display, connection.screen);
    const int widthMm = screen->mwidth * width / screen->width;
    const int heightMm = screen->mheight * height / screen->height;
    const bool grows = width > screen->width || height > screen->height;
    const XRRCrtcInfo &crtc = *output.crtc;
    XGrabServer(display);
    platform::catchErrors();
    if (grows) {
        XRRSetScreenSize(display, connection.root, width, height, widthMm, heightMm);
    }
    const Status set =
        XRRSetCrtcConfig(display, output.resources, output.output->crtc, CurrentTime, crtc.x,
                         crtc.y, mode, crtc.rotation, crtc.outputs, crtc.noutput);
    if (!grows && set == RRSetConfigSuccess) {
        XRRSetScreenSize(display, connection.root, width, height, widthMm, heightMm);
    }
    const bool applied = platform::caughtError() == Success && set == RRSetConfigSuccess;
    XUngrabServer(display);
    XFlush(display);
    // Xlib's idea of the screen follows, as RandR's own event would make it.
    if (applied) {
        period = 0;
        screen->width = width;
        screen->height = height;
        screen->mwidth = widthMm;
        screen->mheight = heightMm;
    }
    return applied;
}

// The program's shown window goes full screen at a mode it set, and back at the desktop's.
LONG holdFullScreen(bool on) {
    platform::WindowObject &window = platform::window;
    if (!window.inUse || !window.shown) {
        return DISP_CHANGE_FAILED;
    }
    window.fullScreen = on;
    platform::placeWindow(&window);
    XFlush(connection.display);
    return DISP_CHANGE_SUCCESSFUL;
}

} // namespace

namespace platform {

void restoreDesktopMode() {
    if (desktop.saved && lookAtOutput() && output.crtc->mode != desktop.mode) {
        applyMode(desktop.mode, desktop.width, desktop.height);
    }
    desktop.saved = false;
}

long refreshPeriod() {
    if (period == 0) {
        const XRRModeInfo *mode = lookAtOutput() ? modeInfo(output.crtc->mode) : nullptr;
        const double rate = mode != nullptr ? rateOf(*mode) : 0;
        period = std::lround(1e6 / (rate >= 1 ? rate : 60));
    }
    return period;
}

} // namespace platform

// A host's window stands for the screen; a refused one has no size.
int GetSystemMetrics(int nIndex) {
    if ((nIndex != SM_CXSCREEN && nIndex != SM_CYSCREEN) || connection.display == nullptr ||
        connection.host == platform::HostWindow::refused) {
        return 0;
    }
    if (connection.host == platform::HostWindow::ready) {
        return nIndex == SM_CXSCREEN ? connection.hostWidth : connection.hostHeight;
    }
    if (lookAtOutput()) {
        return static_cast<int>(nIndex == SM_CXSCREEN ? output.crtc->width : output.crtc->height);
    }
    return nIndex == SM_CXSCREEN ? DisplayWidth(connection.display, connection.screen)
                                 : DisplayHeight(connection.display, connection.screen);
}

// The current mode alone is told, the one the program asks for. The program reads the size and
// passes the record back with a new one.
BOOL EnumDisplaySettingsA(LPCSTR, DWORD iModeNum, DEVMODEA *lpDevMode) {
    const XRRModeInfo *mode =
        lpDevMode != nullptr && iModeNum == ENUM_CURRENT_SETTINGS && lookAtOutput()
            ? modeInfo(output.crtc->mode)
            : nullptr;
    if (mode == nullptr) {
        return FALSE;
    }
    lpDevMode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    lpDevMode->dmBitsPerPel = bitsPerPixel();
    lpDevMode->dmPelsWidth = mode->width;
    lpDevMode->dmPelsHeight = mode->height;
    lpDevMode->dmDisplayFrequency = static_cast<DWORD>(std::lround(rateOf(*mode)));
    return TRUE;
}

// A record that marks no field (or none at all) returns to the desktop's mode. In a host's window
// its size is the one mode: asking for it changes nothing on the display, asking for another is
// refused.
LONG ChangeDisplaySettingsA(DEVMODEA *lpDevMode, DWORD) {
    if (connection.display == nullptr) {
        return DISP_CHANGE_FAILED;
    }
    if (lpDevMode == nullptr || lpDevMode->dmFields == 0) {
        holdFullScreen(false);
        platform::restoreDesktopMode();
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (connection.host == platform::HostWindow::ready) {
        const bool hostSize = lpDevMode->dmPelsWidth == static_cast<DWORD>(connection.hostWidth) &&
                              lpDevMode->dmPelsHeight == static_cast<DWORD>(connection.hostHeight);
        return hostSize ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
    }
    const XRRModeInfo *mode = lookAtOutput() ? offeredMode(*lpDevMode) : nullptr;
    if (mode == nullptr) {
        return DISP_CHANGE_BADMODE;
    }
    if (mode->id != output.crtc->mode) {
        Screen *screen = ScreenOfDisplay(connection.display, connection.screen);
        if (!desktop.saved) {
            desktop = DesktopMode{true, output.crtc->mode, screen->width, screen->height};
        }
        if (!applyMode(mode->id, static_cast<int>(mode->width), static_cast<int>(mode->height))) {
            return DISP_CHANGE_FAILED;
        }
    }
    return holdFullScreen(true);
}
