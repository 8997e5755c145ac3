// CCmdUI: what an update handler says about one command: enabled, checked, its text.
#pragma once

#include <string>
#include <string_view>

// The handler sets what it knows; the caller reads back what was set and keeps its own
// state for the rest (a command nobody disables stays enabled).
class CCmdUI {
public:
    explicit CCmdUI(unsigned nId) : m_nID(nId) {}

    unsigned GetId() const { return m_nID; }

    void Enable(bool bOn = true) {
        m_bEnabled = bOn;
        m_bEnableSet = true;
    }
    // 0 unchecked, 1 checked.
    void SetCheck(int nCheck = 1) {
        m_nCheck = nCheck;
        m_bCheckSet = true;
    }
    void SetText(std::string_view text) {
        m_strText = text;
        m_bTextSet = true;
    }

    bool IsEnabled() const { return m_bEnabled; }
    int GetCheck() const { return m_nCheck; }
    const std::string& GetText() const { return m_strText; }
    bool WasEnableSet() const { return m_bEnableSet; }
    bool WasCheckSet() const { return m_bCheckSet; }
    bool WasTextSet() const { return m_bTextSet; }

private:
    unsigned m_nID;
    bool m_bEnabled = true;
    int m_nCheck = 0;
    std::string m_strText;
    bool m_bEnableSet = false;
    bool m_bCheckSet = false;
    bool m_bTextSet = false;
};
