// The one export of the ZarnHex library: the modal Hex Converter dialog.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Runs the "Zarn Hex Converter" dialog modally over the active window and returns when it
// closes. Must be called from the thread of the caller's running QApplication.
__attribute__((visibility("default"))) void ShowHexDialog(void);

#ifdef __cplusplus
}
#endif
