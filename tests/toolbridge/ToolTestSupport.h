// Helpers of the runner's tests: the test child, a pane with a scratch directory, signals.
#pragma once

#include "tests/support/PrintQString.h"

#include <functional>
#include <sys/types.h>

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The child program built for these tests (see ToolChild.cpp for its steps).
constexpr const char TOOL_CHILD[] = TOOL_CHILD_PATH;
// The real grimlet of this build.
constexpr const char GRIMLET[] = ZARN_BUILD_DIR "/grimlet";

// A fresh Output pane edit and a scratch directory for the signal files of each test.
class CToolRunnerTest : public testing::Test {
protected:
    CToolRunnerTest();

    QString Path(const QString& strName) const { return m_dir.filePath(strName); }
    // Runs the test child with these steps into the edit; returns when the run is over.
    void RunChild(const QStringList& listSteps);
    QString Shown() const { return m_edit.toPlainText(); }

    QTemporaryDir m_dir;
    QPlainTextEdit m_edit;
};

// Calls fn from the event loop, as a command would run, once the edit's text first
// contains strText.
void WhenShown(QPlainTextEdit& edit, const QString& strText, std::function<void()> fn);

void TouchFile(const QString& strPath);

// The two process ids that the child's "grandchild:" step writes into strPath.
bool ReadPids(const QString& strPath, pid_t& pidChild, pid_t& pidGrandchild);
// Whether the process has ended (gone, or a zombie nobody reaped yet), waiting for it a while.
bool HasEnded(pid_t pid);
