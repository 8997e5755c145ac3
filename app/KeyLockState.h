// Whether Caps Lock, Num Lock or Scroll Lock is on, where the platform tells.
#pragma once

enum class KeyLock { Caps, Num, Scroll };

// Whether the lock key is on, on an X11 display; off on platforms that do not tell (offscreen,
// Wayland), whose status-bar indicators then stay blank.
bool IsKeyLockOn(KeyLock which);
