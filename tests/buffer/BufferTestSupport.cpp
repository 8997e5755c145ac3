// Helpers of the buffer tests.
#include "BufferTestSupport.h"

#include <cstdlib>
#include <functional>
#include <grp.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

void RecordingListener::OnBufferUpdate(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                                       uint32_t dwHints, int nLine) {
    Update update{pSource, pExtent != nullptr, false, {}, {}, dwHints, nLine};
    if (pExtent) {
        update.bInsert = dynamic_cast<const CInsertExtent*>(pExtent) != nullptr;
        update.ptFrom = pExtent->ptFrom;
        update.ptTo = pExtent->ptTo;
        for (TextPos& pt : positions)
            pExtent->FixPosition(pt);
    }
    updates.push_back(update);
}

void RecordingListener::OnUndoGroupClosed(int nAction, std::string_view text) {
    closedGroups.push_back({nAction, std::string(text)});
}

std::vector<std::string> LinesOf(const CTextBuffer& buffer) {
    std::vector<std::string> lines;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        lines.emplace_back(buffer.GetLineView(i));
    return lines;
}

std::string TextOf(const CTextBuffer& buffer, const std::string& eol) {
    std::string text;
    for (int i = 0; i < buffer.GetLineCount(); ++i) {
        if (i > 0)
            text += eol;
        text.append(buffer.GetLineView(i));
    }
    return text;
}

void FillBuffer(CTextBuffer& buffer, const std::vector<std::string>& lines) {
    buffer.Clear();
    buffer.InitEmpty(EOL_CRLF);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == 0)
            buffer.AppendToLine(0, lines[0]);
        else
            buffer.AddLine(lines[i]);
    }
}

bool RunAsOrdinaryUser(const std::function<bool()>& body) {
    if (::geteuid() != 0)
        return body();
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        const uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
            ::setresuid(nobody, nobody, nobody) != 0)
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 2)
        throw std::runtime_error("could not run as an ordinary user");
    return WEXITSTATUS(status) == 0;
}
