// CToolRunner: runs a console program and streams what it writes into the Output pane.
#pragma once

#include <cstdint>
#include <functional>

#include <QPointer>
#include <QString>
#include <QStringList>

class QObject;
class QPlainTextEdit;

// How a run ended.
enum ToolRunResult {
    TOOLRUN_PENDING,     // no run yet, or one in progress
    TOOLRUN_NOT_STARTED, // the program could not be started
    TOOLRUN_CANCELLED,   // Cancel, or the application quitting, ended it
    TOOLRUN_FAILED,      // it ended with a non-zero exit code, died of a signal, or its
                         // output could not be read
    TOOLRUN_SUCCEEDED,   // it ended by itself with exit code 0
};

// One runner serves one run at a time (a Run called during its own run returns at once); the
// caller builds it for a run and discards it after, and keeps it alive until Run returns.
//
// Run() starts the program with its argument list (no shell: each argument reaches the
// child unchanged), both output streams merged into one in the order written and standard
// input at its end at once. The child leads a process group of its own, so that a
// cancelled run also ends the child's children. Run() returns when the child has ended and
// all its output is shown, when the run was cancelled, or when a step failed; meanwhile it
// processes the application's events, so the windows stay live and any command may run,
// including another run: that nested run goes to its end, then the outer one goes on.
// Results and failures reach the user only as text in the Output pane (a program that cannot be
// started is named with the reason); GetResult tells the caller how the run ended.
//
// Closing the main window while runs are in progress cancels them first; nothing writes to
// the pane once it is gone. The runs unwind only after the close event has returned, so the
// main frame's closeEvent refuses the first close and closes again afterwards:
//
//     if (CToolRunner::IsAnyRunning()) {
//         pEvent->ignore();
//         CToolRunner::CancelAll();
//         CToolRunner::CallWhenNoneRunning(this, [this] { close(); });
//         return;
//     }
class CToolRunner {
public:
    // An empty strDirectory runs the child in the editor's current directory. The edit is
    // not owned; once it is destroyed the run goes on without showing anything.
    CToolRunner(const QString& strProgram, const QStringList& listArguments,
                QPlainTextEdit* pOutput, const QString& strDirectory = QString());
    CToolRunner(const CToolRunner&) = delete;
    CToolRunner& operator=(const CToolRunner&) = delete;
    virtual ~CToolRunner();

    virtual void Run();
    // Asks the run to end the child and its process group; it does so at its next round of
    // work (a read, or the 100 ms idle poll) and shows "Cancelled.". Before Run, the run is
    // cancelled as soon as it starts.
    virtual void Cancel();

    // How the last run ended.
    ToolRunResult GetResult() const { return m_nResult; }
    // With bKeep, the text that a run shows in the pane (or would show, without one) is also
    // kept for GetKeptOutput; a command that shows a tool's output only when it failed runs
    // it without a pane and keeps it.
    void SetKeepOutput(bool bKeep) { m_bKeepOutput = bKeep; }
    const QString& GetKeptOutput() const { return m_strKeptOutput; }

    // Whether a run of any runner is in progress.
    static bool IsAnyRunning();
    // Cancels every run in progress.
    static void CancelAll();
    // Calls fn from the event loop once no run is in progress (at the next round of the event
    // loop when none is), unless pContext has been destroyed by then.
    static void CallWhenNoneRunning(QObject* pContext, std::function<void()> fn);

protected:
    // Shows a failed step: its text, a line break, the system's reason, a line break.
    void ReportError(const QString& strStep, const QString& strReason);
    void AppendOutput(const QString& strText);

private:
    struct CRun;

    void Start();
    void Step();
    void QueueStep();
    void ShowNextChunks();
    void DropPendingBeyondThePane();
    int KillChild();
    void Terminate();
    void SetResult(ToolRunResult nResult);
    void End();

    bool m_bCancel = false;
    std::uint32_t m_dwPollInterval = 100; // the idle poll while the child writes nothing
    QPointer<QPlainTextEdit> m_pOutput;
    QString m_strProgram;
    QStringList m_listArguments;
    QString m_strDirectory;
    CRun* m_pRun = nullptr; // the run in progress
    ToolRunResult m_nResult = TOOLRUN_PENDING;
    bool m_bKeepOutput = false;
    QString m_strKeptOutput; // what the last run showed, with m_bKeepOutput
};
