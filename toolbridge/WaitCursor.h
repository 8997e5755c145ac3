// CWaitCursor: the busy cursor over the whole application while a command waits for a tool.
#pragma once

#include <QCursor>
#include <QGuiApplication>

// Shown from construction to destruction; the windows stay live meanwhile.
class CWaitCursor {
public:
    CWaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};
