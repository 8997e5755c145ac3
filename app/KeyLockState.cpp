// Reading the lock keys' indicators through the X keyboard extension.
#include "app/KeyLockState.h"

#include <QGuiApplication>

// Xlib's macros (Bool, Status, None) break Qt's headers: it comes after them.
// clang-format off
#include <X11/XKBlib.h>
// clang-format on

namespace {

// The indicators' names, looked up once per display: the state is read several times a second.
struct IndicatorAtoms {
    Display* pDisplay = nullptr;
    Atom caps = 0;
    Atom num = 0;
    Atom scroll = 0;
};

const IndicatorAtoms& GetIndicatorAtoms(Display* pDisplay) {
    static IndicatorAtoms s_atoms;
    if (s_atoms.pDisplay != pDisplay) {
        s_atoms.pDisplay = pDisplay;
        s_atoms.caps = XInternAtom(pDisplay, "Caps Lock", True);
        s_atoms.num = XInternAtom(pDisplay, "Num Lock", True);
        s_atoms.scroll = XInternAtom(pDisplay, "Scroll Lock", True);
    }
    return s_atoms;
}

bool IsIndicatorOn(Display* pDisplay, Atom atom) {
    if (atom == 0)
        return false;
    Bool bOn = False;
    if (!XkbGetNamedIndicator(pDisplay, atom, nullptr, &bOn, nullptr, nullptr))
        return false;
    return bOn;
}

} // namespace

bool IsKeyLockOn(KeyLock which) {
    auto* pX11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* pDisplay = pX11 ? pX11->display() : nullptr;
    if (!pDisplay)
        return false;
    const IndicatorAtoms& atoms = GetIndicatorAtoms(pDisplay);
    switch (which) {
    case KeyLock::Caps:
        return IsIndicatorOn(pDisplay, atoms.caps);
    case KeyLock::Num:
        return IsIndicatorOn(pDisplay, atoms.num);
    case KeyLock::Scroll:
        return IsIndicatorOn(pDisplay, atoms.scroll);
    }
    return false;
}
