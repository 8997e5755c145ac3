// Helpers of the runner's tests: the test child, a pane with a scratch directory, signals.
#include "ToolTestSupport.h"

#include "toolbridge/ToolRunner.h"

#include <memory>
#include <unistd.h>

#include <QFile>
#include <QTimer>

CToolRunnerTest::CToolRunnerTest() {
    EXPECT_TRUE(m_dir.isValid());
}

void CToolRunnerTest::RunChild(const QStringList& listSteps) {
    CToolRunner runner(TOOL_CHILD, listSteps, &m_edit);
    runner.Run();
}

void WhenShown(QPlainTextEdit& edit, const QString& strText, std::function<void()> fn) {
    auto pConnection = std::make_shared<QMetaObject::Connection>();
    *pConnection = QObject::connect(&edit, &QPlainTextEdit::textChanged, &edit,
                                    [&edit, strText, fn, pConnection] {
                                        if (!edit.toPlainText().contains(strText))
                                            return;
                                        QObject::disconnect(*pConnection);
                                        QTimer::singleShot(0, fn);
                                    });
}

void TouchFile(const QString& strPath) {
    QFile file(strPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

bool ReadPids(const QString& strPath, pid_t& pidChild, pid_t& pidGrandchild) {
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> listPids = file.readAll().trimmed().split(' ');
    if (listPids.size() != 2)
        return false;
    pidChild = listPids[0].toInt();
    pidGrandchild = listPids[1].toInt();
    return pidChild > 0 && pidGrandchild > 0;
}

bool HasEnded(pid_t pid) {
    // A killed process is gone a moment after the kill; a zombie is no longer running.
    for (int i = 0; i < 10000; ++i) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return true;
        const QByteArray line = stat.readAll();
        const qsizetype nAfterName = line.lastIndexOf(')');
        if (nAfterName >= 0 && line.mid(nAfterName + 2, 1) == "Z")
            return true;
        usleep(1000);
    }
    return false;
}
