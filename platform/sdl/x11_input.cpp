// X input as the X server reported it. SDL passes each core X event on ahead of the SDL events it
// makes of it, so a key or pointer event can be told from the ones SDL makes up, and carries the
// modifiers of its own moment and the pointer's true place, read from the X event.
#include <cstring>

#include "platform/sdl/sdl_platform.h"

#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace {

// The last X event passed on: the SDL event type it becomes and what it said.
Uint32 notedType = 0;
platform::X11Input noted = {};

// The state bits a keysym sets, in the keyboard mapping of the moment.
unsigned maskOf(Display *display, KeySym keysym) {
    return XkbKeysymToModifiers(display, keysym);
}

// X's state bits are those held just before the event, which hold a released key's own bit but
// not a pressed one's. AltGr counts as Ctrl and Alt together.
platform::Modifiers modifiersOf(Display *display, unsigned state) {
    const unsigned altGr = maskOf(display, XK_ISO_Level3_Shift) | maskOf(display, XK_Mode_switch);
    const unsigned alt = maskOf(display, XK_Alt_L) | maskOf(display, XK_Alt_R);
    const bool level3 = (state & altGr) != 0;
    return platform::Modifiers{(state & ShiftMask) != 0, (state & ControlMask) != 0 || level3,
                               (state & alt) != 0 || level3,
                               (state & maskOf(display, XK_Num_Lock)) != 0};
}

} // namespace

namespace platform {

bool inputFromX11() {
    const char *driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "x11") == 0;
}

void noteX11Event(const SDL_SysWMmsg *message) {
    notedType = 0;
    if (message == nullptr || message->subsystem != SDL_SYSWM_X11) {
        return;
    }
    const XEvent &event = message->msg.x11.event;
    Display *display = event.xany.display;
    switch (event.type) {
    case KeyPress: {
        // The pressed key counts as held during its own press, as on Windows.
        const KeySym pressed =
            XkbKeycodeToKeysym(display, static_cast<KeyCode>(event.xkey.keycode), 0, 0);
        notedType = SDL_KEYDOWN;
        noted = {modifiersOf(display, event.xkey.state | maskOf(display, pressed)), 0, 0};
        break;
    }
    case KeyRelease:
        notedType = SDL_KEYUP;
        noted = {modifiersOf(display, event.xkey.state), 0, 0};
        break;
    case ButtonPress:
    case ButtonRelease: {
        // Buttons 4 to 7 are the wheel's notches, one press each.
        const bool wheel = event.xbutton.button >= 4 && event.xbutton.button <= 7;
        if (event.type == ButtonPress) {
            notedType = wheel ? SDL_MOUSEWHEEL : SDL_MOUSEBUTTONDOWN;
        } else if (!wheel) {
            notedType = SDL_MOUSEBUTTONUP;
        }
        noted = {modifiersOf(display, event.xbutton.state), event.xbutton.x, event.xbutton.y};
        break;
    }
    case MotionNotify:
        notedType = SDL_MOUSEMOTION;
        noted = {modifiersOf(display, event.xmotion.state), event.xmotion.x, event.xmotion.y};
        break;
    case EnterNotify:
    case LeaveNotify:
        // SDL moves the pointer to the crossing's point.
        notedType = SDL_MOUSEMOTION;
        noted = {modifiersOf(display, event.xcrossing.state), event.xcrossing.x, event.xcrossing.y};
        break;
    default:
        break;
    }
}

bool takeX11Input(Uint32 type, X11Input *input) {
    const bool matched = notedType != 0 && notedType == type;
    notedType = 0;
    if (matched) {
        *input = noted;
    }
    return matched;
}

} // namespace platform
