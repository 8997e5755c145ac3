// Helpers of the buffer tests.
#include "BufferTestSupport.h"

#include <grp.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

void RecordingListener::OnBufferUpdate(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                                       uint32_t dwHints, int nLine) {
    std::ostringstream text;
    if (!pExtent)
        text << ".";
    else
        text << (dynamic_cast<const CInsertExtent*>(pExtent) ? "+" : "-") << pExtent->ptFrom.x
             << "," << pExtent->ptFrom.y << "-" << pExtent->ptTo.x << "," << pExtent->ptTo.y;
    text << " h" << std::hex << dwHints << std::dec << " L" << nLine;
    updates.push_back(text.str());
    sources.push_back(pSource);
    for (TextPos& pt : positions) {
        if (pExtent)
            pExtent->FixPosition(pt);
    }
}

void RecordingListener::OnUndoGroupClosed(int nAction, std::string_view text) {
    closedGroups.emplace_back(nAction, text);
}

Lines LinesOf(const CTextBuffer& buffer) {
    Lines lines;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        lines.emplace_back(buffer.GetLineView(i));
    return lines;
}

std::string TextOf(const CTextBuffer& buffer, const std::string& eol) {
    std::string text;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        text.append(i > 0 ? eol : "").append(buffer.GetLineView(i));
    return text;
}

void FillBuffer(CTextBuffer& buffer, const Lines& lines) {
    buffer.Clear();
    buffer.InitEmpty(EOL_CRLF);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i == 0)
            buffer.AppendToLine(0, lines[0]);
        else
            buffer.AddLine(lines[i]);
    }
}

FileResult LoadBytes(CTextBuffer& buffer, const std::string& path, const std::string& bytes) {
    WriteBytes(path, bytes);
    return buffer.LoadFile(path);
}

bool Apply(CTextBuffer& buffer, const std::vector<Edit>& edits, int nAction,
           CTextBufferListener* pSource) {
    for (const Edit& e : edits) {
        int nEndLine, nEndChar;
        if (!(e.IsDelete()
                  ? buffer.DeleteRange(pSource, e.nLine, e.nChar, e.nEndLine, e.nEndChar, nAction)
                  : buffer.InsertTextAt(pSource, e.nLine, e.nChar, e.text, nEndLine, nEndChar,
                                        nAction)))
            return false;
    }
    return true;
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
