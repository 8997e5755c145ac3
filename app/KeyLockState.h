// Whether Caps Lock, Num Lock and Scroll Lock are on, where the platform tells.
#pragma once

#include <optional>

struct KeyLockState {
    bool bCaps = false;
    bool bNum = false;
    bool bScroll = false;
};

// The lock keys' state on an X11 display; nothing on platforms that do not tell (offscreen,
// Wayland), whose status-bar indicators then stay blank.
std::optional<KeyLockState> QueryKeyLockState();
