// The command table: every command of the main window with what its one QAction is made of.
#pragma once

#include <span>

// The action's key bindings come from the main key table (GetMainKeyTable); its status-bar
// prompt and tool tip from the prompt string, "prompt\ntool tip".
struct CommandInfo {
    unsigned nId;
    const char* pszText; // the text with its & mnemonic and \t key; a menu may give its own
    unsigned nPromptId;  // the string holding the prompt; 0: none
    const char* pszIcon; // the toolbar image in the resources; null: none
};

std::span<const CommandInfo> GetCommandTable();
