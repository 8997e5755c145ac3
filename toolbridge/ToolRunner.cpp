// CToolRunner: runs a console program and streams what it writes into the Output pane.
#include "toolbridge/ToolRunner.h"

#include "toolbridge/ToolOutput.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/types.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include <QEventLoop>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTimer>

// What one round of work shows at most: each append costs the pane a screen of layout and a
// repaint, and each character and line a little more, so a flood goes in pieces of this size
// and the events waiting meanwhile are not held up long.
static constexpr qsizetype TOOL_CHARS_PER_ROUND = 8 * TOOL_CHUNK_MAX;
static constexpr qsizetype TOOL_LINES_PER_ROUND = 2048;

static constexpr char TOOL_ERR_CREATE_PROCESS[] = "Error creating process";
static constexpr char TOOL_ERR_READ[] = "ReadFile fialed";
static constexpr char TOOL_ERR_TERMINATE[] = "Error terminating process.";
static constexpr char TOOL_MSG_CANCELLED[] = "\nCancelled.\n\nProcess terminated successfully.\n";

// What one run holds while it is in progress.
struct CToolRunner::CRun {
    QProcess process;
    QEventLoop loop;
    QTimer pollTimer;
    CToolOutputDecoder decoder;
    // What the child wrote that is still to be shown, its line breaks, and whether older text
    // that the pane would have dropped anyway was dropped from it.
    QString strPending;
    qsizetype nPendingLines = 0;
    bool bPendingDropped = false;
    bool bStepQueued = false;
    bool bStarted = false; // the program is running: its end is its exit, not a failed start
    bool bKilled = false;  // the child's group was killed: its output no longer counts
    bool bEnded = false;
};

// The runs in progress in the order they began; nesting makes the last one the innermost,
// which alone works: an outer run resumes when the runs started inside it have returned.
static std::vector<CToolRunner*>& RunsInProgress() {
    static std::vector<CToolRunner*> s_runs;
    return s_runs;
}

struct CCallWhenNoneRunning {
    QPointer<QObject> pContext;
    std::function<void()> fn;
};

static std::vector<CCallWhenNoneRunning>& CallsWhenNoneRunning() {
    static std::vector<CCallWhenNoneRunning> s_calls;
    return s_calls;
}

static void PostCall(QObject* pContext, std::function<void()> fn) {
    QMetaObject::invokeMethod(pContext, std::move(fn), Qt::QueuedConnection);
}

CToolRunner::CToolRunner(const QString& strProgram, const QStringList& listArguments,
                         QPlainTextEdit* pOutput, const QString& strDirectory)
    : m_pOutput(pOutput), m_strProgram(strProgram), m_listArguments(listArguments),
      m_strDirectory(strDirectory) {}

CToolRunner::~CToolRunner() = default;

bool CToolRunner::IsAnyRunning() {
    return !RunsInProgress().empty();
}

void CToolRunner::CancelAll() {
    for (CToolRunner* pRunner : RunsInProgress())
        pRunner->Cancel();
}

void CToolRunner::CallWhenNoneRunning(QObject* pContext, std::function<void()> fn) {
    if (IsAnyRunning())
        CallsWhenNoneRunning().push_back({pContext, std::move(fn)});
    else if (pContext != nullptr)
        PostCall(pContext, std::move(fn));
}

void CToolRunner::Run() {
    if (m_pRun != nullptr)
        return;
    CRun run;
    m_pRun = &run;
    m_nResult = TOOLRUN_PENDING;
    m_strKeptOutput.clear();
    RunsInProgress().push_back(this);

    Start();
    if (!run.bEnded)
        run.loop.exec();
    if (!run.bEnded) {
        // The application is quitting: it told every event loop to leave, and none will run
        // again, so the child is ended here and waited for.
        if (!run.bKilled && run.process.state() != QProcess::NotRunning)
            Terminate();
        run.process.waitForFinished();
        SetResult(TOOLRUN_CANCELLED);
    }

    m_pRun = nullptr;
    RunsInProgress().pop_back();
    if (!RunsInProgress().empty()) {
        RunsInProgress().back()->QueueStep();
        return;
    }
    for (CCallWhenNoneRunning& call : std::exchange(CallsWhenNoneRunning(), {})) {
        if (call.pContext != nullptr)
            PostCall(call.pContext, std::move(call.fn));
    }
}

void CToolRunner::Cancel() {
    m_bCancel = true;
    QueueStep();
}

void CToolRunner::ReportError(const QString& strStep, const QString& strReason) {
    AppendOutput(strStep + u'\n' + strReason + u'\n');
}

void CToolRunner::AppendOutput(const QString& strText) {
    if (m_bKeepOutput)
        m_strKeptOutput += strText;
    AppendToOutputEdit(m_pOutput, strText);
}

// The first outcome of a run counts: a kill that follows a read error still ends a failed run.
void CToolRunner::SetResult(ToolRunResult nResult) {
    if (m_nResult == TOOLRUN_PENDING)
        m_nResult = nResult;
}

void CToolRunner::Start() {
    CRun& run = *m_pRun;
    QProcess& process = run.process;
    process.setProgram(m_strProgram);
    process.setArguments(m_listArguments);
    if (!m_strDirectory.isEmpty())
        process.setWorkingDirectory(m_strDirectory);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setChildProcessModifier([] { ::setpgid(0, 0); });

    QObject::connect(&process, &QProcess::started, &process, [this] { m_pRun->bStarted = true; });
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [this] { Step(); });
    QObject::connect(&process, &QProcess::stateChanged, &process,
                     [this](QProcess::ProcessState state) {
                         if (state != QProcess::NotRunning || m_pRun->bEnded)
                             return;
                         if (m_pRun->bKilled)
                             End();
                         else
                             Step();
                     });
    QObject::connect(
        &process, &QProcess::errorOccurred, &process, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) {
                if (!m_pRun->bKilled) {
                    // The reason names the program that was tried.
                    ReportError(TOOL_ERR_CREATE_PROCESS, m_strProgram + QStringLiteral(": ") +
                                                             m_pRun->process.errorString());
                    SetResult(TOOLRUN_NOT_STARTED);
                }
                End();
            } else if (error == QProcess::ReadError && !m_pRun->bKilled) {
                ReportError(TOOL_ERR_READ, m_pRun->process.errorString());
                SetResult(TOOLRUN_FAILED);
                KillChild();
            }
        });
    QObject::connect(&run.pollTimer, &QTimer::timeout, &run.pollTimer, [this] { Step(); });

    process.start();
    if (process.state() == QProcess::NotRunning) {
        // Refused at once; errorOccurred has reported why.
        SetResult(TOOLRUN_NOT_STARTED);
        End();
        return;
    }
    // The parent sets the group too, so that a kill right after the start finds it even
    // before the child has run its own setpgid.
    const auto pid = static_cast<pid_t>(process.processId());
    ::setpgid(pid, pid);
    process.closeWriteChannel();
    run.pollTimer.start(static_cast<int>(m_dwPollInterval));
    if (m_bCancel)
        QueueStep();
}

// One round of work, in whichever way it was called: show what the child wrote, notice its
// end, or act on a cancel. Only the innermost run works.
void CToolRunner::Step() {
    CRun* pRun = m_pRun;
    if (pRun == nullptr || pRun->bEnded || pRun->bKilled || RunsInProgress().back() != this)
        return;
    // Checked before reading, so that a child that never stops writing can still be ended.
    if (m_bCancel && pRun->process.state() != QProcess::NotRunning) {
        Terminate();
        return;
    }
    if (pRun->process.bytesAvailable() > 0 || !pRun->strPending.isEmpty()) {
        ShowNextChunks();
        QueueStep();
        return;
    }
    if (pRun->process.state() == QProcess::NotRunning) {
        AppendOutput(pRun->decoder.Finish());
        // A program that could not be started passes through here before errorOccurred says
        // why, with the exit code 0 of a process that never ran.
        if (!pRun->bStarted)
            SetResult(TOOLRUN_NOT_STARTED);
        else if (pRun->process.exitStatus() == QProcess::NormalExit &&
                 pRun->process.exitCode() == 0)
            SetResult(TOOLRUN_SUCCEEDED);
        else
            SetResult(TOOLRUN_FAILED);
        End();
    }
}

// The next round comes from the event loop, after the events waiting now.
void CToolRunner::QueueStep() {
    if (m_pRun == nullptr || m_pRun->bStepQueued)
        return;
    m_pRun->bStepQueued = true;
    PostCall(&m_pRun->process, [this] {
        m_pRun->bStepQueued = false;
        Step();
    });
}

// Reads all that the child has written, so that its pace is not held to the pane's, and shows
// the next part of it: at most TOOL_CHARS_PER_ROUND characters and TOOL_LINES_PER_ROUND lines.
// What waits to be shown is kept within what the pane holds (OUTPUT_MAX_LINES,
// OUTPUT_MAX_CHARS): older text would be dropped by the pane anyway, so it is dropped here,
// together with all the pane shows, which is older still.
void CToolRunner::ShowNextChunks() {
    CRun& run = *m_pRun;
    char chunk[TOOL_CHUNK_MAX];
    while (run.process.bytesAvailable() > 0) {
        const qint64 nRead = run.process.read(chunk, TOOL_CHUNK_MAX);
        if (nRead <= 0)
            break;
        const QString strText = run.decoder.Decode(ShownPartOfChunk(QByteArrayView(chunk, nRead)));
        run.nPendingLines += strText.count(u'\n');
        run.strPending += strText;
    }
    DropPendingBeyondThePane();

    qsizetype nTake = std::min(run.strPending.size(), TOOL_CHARS_PER_ROUND);
    qsizetype nLines = 0;
    for (qsizetype nBreak = run.strPending.indexOf(u'\n');
         nBreak >= 0 && nBreak < nTake && nLines < TOOL_LINES_PER_ROUND;
         nBreak = run.strPending.indexOf(u'\n', nBreak + 1)) {
        ++nLines;
        if (nLines == TOOL_LINES_PER_ROUND)
            nTake = nBreak + 1;
    }
    // A character of two UTF-16 units goes in one round.
    if (nTake < run.strPending.size() && nTake > 0 && run.strPending[nTake - 1].isHighSurrogate())
        --nTake;
    const QString strText = run.strPending.left(nTake);
    run.strPending.remove(0, nTake);
    run.nPendingLines -= nLines;
    if (run.bPendingDropped) {
        run.bPendingDropped = false;
        DropOutputEditText(m_pOutput);
    }
    AppendOutput(strText);
}

void CToolRunner::DropPendingBeyondThePane() {
    CRun& run = *m_pRun;
    if (run.nPendingLines <= OUTPUT_MAX_LINES && run.strPending.size() <= OUTPUT_MAX_CHARS)
        return;
    // Down to a little below the bounds, so that this happens once in many rounds.
    const qsizetype nKeepLines = OUTPUT_MAX_LINES - OUTPUT_MAX_LINES / 16;
    const qsizetype nKeepChars = OUTPUT_MAX_CHARS - OUTPUT_MAX_CHARS / 16;
    qsizetype nDrop = 0;
    for (qsizetype nLines = run.nPendingLines; nLines > nKeepLines; --nLines)
        nDrop = run.strPending.indexOf(u'\n', nDrop) + 1;
    nDrop = std::max(nDrop, run.strPending.size() - nKeepChars);
    if (nDrop < run.strPending.size() && run.strPending[nDrop].isLowSurrogate())
        ++nDrop;
    run.strPending.remove(0, nDrop);
    run.nPendingLines = run.strPending.count(u'\n');
    run.bPendingDropped = true;
}

// Ends the child with its whole process group and returns 0, or the system's error code.
// The run then waits in its loop only for the child's end, so that the child is reaped
// before Run returns. Only a child not yet reaped is killed: until then its process id, which
// names the group, cannot have passed to another process.
int CToolRunner::KillChild() {
    const auto pid = static_cast<pid_t>(m_pRun->process.processId());
    // kill(0) would hit the editor's own group.
    if (pid <= 0)
        return ESRCH;
    if (::kill(-pid, SIGKILL) != 0)
        return errno;
    m_pRun->bKilled = true;
    return 0;
}

void CToolRunner::Terminate() {
    if (const int nError = KillChild(); nError != 0) {
        // The child cannot be ended; the run goes on and shows its output to its end.
        m_bCancel = false;
        ReportError(TOOL_ERR_TERMINATE, QString::fromLocal8Bit(std::strerror(nError)));
        return;
    }
    SetResult(TOOLRUN_CANCELLED);
    AppendOutput(TOOL_MSG_CANCELLED);
}

void CToolRunner::End() {
    m_pRun->bEnded = true;
    m_pRun->pollTimer.stop();
    m_pRun->loop.quit();
}
