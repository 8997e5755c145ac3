// Command maps: a class lists the command ids it handles in one table of member functions,
// and OnCmdMsg / OnUpdateCmdUI look the id up there instead of one slot per command.
#pragma once

#include "view/CmdUI.h"

#include <span>

template <typename T>
struct CommandMapEntry {
    unsigned nFirst; // the id range nFirst .. nLast goes to one handler
    unsigned nLast;
    void (T::*pfnCommand)(unsigned nId); // null: no command handler
    void (T::*pfnUpdate)(CCmdUI& cmdUI); // null: no update handler
};

// Runs the command handler of nId; false when the map has none.
template <typename T>
bool DispatchCommand(T* pTarget, std::span<const CommandMapEntry<T>> map, unsigned nId) {
    for (const CommandMapEntry<T>& entry : map) {
        if (nId >= entry.nFirst && nId <= entry.nLast && entry.pfnCommand) {
            (pTarget->*entry.pfnCommand)(nId);
            return true;
        }
    }
    return false;
}

// Runs the update handler of nId on cmdUI; false when the map has none.
template <typename T>
bool DispatchUpdate(T* pTarget, std::span<const CommandMapEntry<T>> map, unsigned nId,
                    CCmdUI& cmdUI) {
    for (const CommandMapEntry<T>& entry : map) {
        if (nId >= entry.nFirst && nId <= entry.nLast && entry.pfnUpdate) {
            (pTarget->*entry.pfnUpdate)(cmdUI);
            return true;
        }
    }
    return false;
}
