#include "app/LockKeys.h"

#include <QGuiApplication>

#if __has_include(<X11/XKBlib.h>) && defined(YARROW_HAVE_X11)
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <qguiapplication_platform.h>
#define YARROW_LOCK_KEYS_X11 1
#endif

namespace yarrow {

#if defined(YARROW_LOCK_KEYS_X11)

namespace {

bool IndicatorOn(Display* display, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) {
        return false;
    }
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) {
        return false;
    }
    return on == True;
}

}  // namespace

std::function<LockKeyState()> SystemLockKeySource() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    if (x11 == nullptr || x11->display() == nullptr) {
        return {};
    }
    return [x11] {
        LockKeyState state;
        Display* display = x11->display();
        state.caps = IndicatorOn(display, "Caps Lock");
        state.num = IndicatorOn(display, "Num Lock");
        state.scroll = IndicatorOn(display, "Scroll Lock");
        state.kana = IndicatorOn(display, "Kana");
        return state;
    };
}

#else

std::function<LockKeyState()> SystemLockKeySource() {
    return {};
}

#endif

}  // namespace yarrow
