// How a run ended, as a command that acts on the tool's success reads it, and the output
// kept for a command that shows it only on failure.
#include "ToolTestSupport.h"
#include "toolbridge/ToolRunner.h"

TEST_F(CToolRunnerTest, ResultTellsHowTheRunEnded) {
    CToolRunner succeeded(TOOL_CHILD, {"out:fine\\n"}, &m_edit);
    EXPECT_EQ(succeeded.GetResult(), TOOLRUN_PENDING);
    succeeded.Run();
    EXPECT_EQ(succeeded.GetResult(), TOOLRUN_SUCCEEDED);

    CToolRunner failed(TOOL_CHILD, {"no-such-step"}, &m_edit);
    failed.Run();
    EXPECT_EQ(failed.GetResult(), TOOLRUN_FAILED);

    CToolRunner crashed("/bin/sh", {"-c", "kill -KILL $$"}, &m_edit);
    crashed.Run();
    EXPECT_EQ(crashed.GetResult(), TOOLRUN_FAILED);

    CToolRunner missing(Path("no-such-program"), {}, &m_edit);
    missing.Run();
    EXPECT_EQ(missing.GetResult(), TOOLRUN_NOT_STARTED);

    CToolRunner cancelled(TOOL_CHILD, {"out:ready\\n", "hang"}, &m_edit);
    WhenShown(m_edit, "ready", [&cancelled] { cancelled.Cancel(); });
    cancelled.Run();
    EXPECT_EQ(cancelled.GetResult(), TOOLRUN_CANCELLED);

    // A runner used again starts afresh.
    succeeded.Run();
    EXPECT_EQ(succeeded.GetResult(), TOOLRUN_SUCCEEDED);
}

TEST_F(CToolRunnerTest, KeptOutputIsWhatTheRunShowsAlsoWithoutAPane) {
    CToolRunner runner(TOOL_CHILD, {"out:one\\r\\n", "err:two\\n"}, nullptr);
    runner.SetKeepOutput(true);
    runner.Run();
    EXPECT_EQ(runner.GetKeptOutput(), "one\ntwo\n");
    EXPECT_EQ(runner.GetResult(), TOOLRUN_SUCCEEDED);

    CToolRunner shown(TOOL_CHILD, {"out:three\\n"}, &m_edit);
    shown.Run();
    EXPECT_EQ(Shown(), "three\n");
    EXPECT_EQ(shown.GetKeptOutput(), "");
}
