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

// The first entry of `map` whose range holds nId and that has the handler pmHandler (its command
// or its update handler); null when there is none.
template <typename T, typename Handler>
const CommandMapEntry<T>* FindMapEntry(std::span<const CommandMapEntry<T>> map, unsigned nId,
                                       Handler CommandMapEntry<T>::*pmHandler) {
    for (const CommandMapEntry<T>& entry : map) {
        if (nId >= entry.nFirst && nId <= entry.nLast && entry.*pmHandler)
            return &entry;
    }
    return nullptr;
}

// Runs the command handler of nId; false when the map has none.
template <typename T>
bool DispatchCommand(T* pTarget, std::span<const CommandMapEntry<T>> map, unsigned nId) {
    const CommandMapEntry<T>* pEntry = FindMapEntry(map, nId, &CommandMapEntry<T>::pfnCommand);
    if (!pEntry)
        return false;
    (pTarget->*pEntry->pfnCommand)(nId);
    return true;
}

// Runs the update handler of nId on cmdUI; false when the map has none.
template <typename T>
bool DispatchUpdate(T* pTarget, std::span<const CommandMapEntry<T>> map, unsigned nId,
                    CCmdUI& cmdUI) {
    const CommandMapEntry<T>* pEntry = FindMapEntry(map, nId, &CommandMapEntry<T>::pfnUpdate);
    if (!pEntry)
        return false;
    (pTarget->*pEntry->pfnUpdate)(cmdUI);
    return true;
}

// Whether `map` has a command handler (not only an update handler) for nId.
template <typename T>
bool MapHasCommand(std::span<const CommandMapEntry<T>> map, unsigned nId) {
    return FindMapEntry(map, nId, &CommandMapEntry<T>::pfnCommand) != nullptr;
}
