// Exporting the text as a Vey file: one "atom$" record per source line that carries one.
#include "buffer/SafeFileWriter.h"
#include "buffer/TextBuffer.h"

#include <string_view>

namespace {

constexpr std::string_view VEY_RECORD_PREFIX = "atom$";
constexpr std::string_view VEY_RECORD_END = "\r\n";
// Comments, and the lines that open and close the form's blocks, have no Vey record.
constexpr std::string_view VEY_SKIPPED_STARTS = ";<>]";

// Only spaces count: a tab-indented line keeps its tab.
std::string_view TrimBlanks(std::string_view text) {
    const size_t nFirst = text.find_first_not_of(' ');
    if (nFirst == std::string_view::npos)
        return {};
    return text.substr(nFirst, text.find_last_not_of(' ') - nFirst + 1);
}

} // namespace

FileResult CTextBuffer::ExportVey(const std::string& strPath) const {
    CSafeFileWriter writer(*m_pFileOps);
    if (FileResult result = writer.Begin(strPath, false); !result)
        return result;
    const int nLines = GetLineCount();
    for (int i = 0; i < nLines; ++i) {
        const std::string_view line = GetLineView(i);
        if (line.empty())
            continue;
        // A line of blanks only is not empty: it gives a record with no text.
        const std::string_view text = TrimBlanks(line);
        if (!text.empty() && VEY_SKIPPED_STARTS.find(text.front()) != std::string_view::npos)
            continue;
        writer.Append(VEY_RECORD_PREFIX);
        writer.Append(text);
        writer.Append(VEY_RECORD_END);
    }
    return writer.Commit();
}
