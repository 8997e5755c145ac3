// Zarn parser benchmarks: colouring with blocks, state-only parsing, moving a parser point over
// one long line, word lookups.
#include "language/ZarnParser.h"
#include "language/ZarnWords.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

struct CLineSpan {
    size_t nOffset;
    int nLength;
};

// A generated form source of about 8 MB held in memory: nested objects of indented atom lines
// with numbers, strings, value words and comments, and now and then a string continued over a
// final backslash.
class CSampleSource {
public:
    CSampleSource() {
        std::mt19937 rng(1234);
        auto pick = [&rng](size_t n) { return static_cast<size_t>(rng() % n); };
        static const char* const s_apszAtoms[] = {
            "mat_object_id", "mat_width",        "mat_height",     "mat_title",
            "mat_font_size", "mat_color_face",   "mat_bool_modal", "mat_title_pos",
            "mat_url",       "mat_relative_tag", "mat_value",      "mat_bool_disabled"};
        static const char* const s_apszValues[] = {"yes", "no", "TRUE", "trigger", "dss_list"};
        int nDepth = 0;
        while (m_text.size() < 8'000'000) {
            std::string line(static_cast<size_t>(nDepth) * 4, ' ');
            const size_t nKind = pick(20);
            if (nKind == 0 || nDepth == 0) {
                line += "man_start_object " + std::to_string(pick(100)) + "-" +
                        std::to_string(pick(1000));
                ++nDepth;
            } else if (nKind == 1) {
                line.resize(line.size() - 4);
                line += "man_end_object";
                --nDepth;
            } else if (nKind == 2) {
                line += "; " + std::string(20 + pick(30), 'c');
            } else if (nKind == 3) {
                line += "mat_title \"A caption that goes on \\";
                AddLine(line);
                line = "over two lines\" ; continued";
            } else {
                line += s_apszAtoms[pick(std::size(s_apszAtoms))];
                switch (pick(5)) {
                case 0:
                    line += " " + std::to_string(pick(100000));
                    break;
                case 1:
                    line += " <" + std::to_string(pick(640)) + ", " + std::to_string(pick(480)) +
                            ", 0FFx, 1.5e3>";
                    break;
                case 2:
                    line += " \"Field caption number " + std::to_string(pick(1000)) + "\"";
                    break;
                case 3:
                    line += std::string(" ") + s_apszValues[pick(std::size(s_apszValues))] +
                            " ; why this is set";
                    break;
                default:
                    line += " 'k' 12 34";
                    break;
                }
            }
            AddLine(line);
        }
        size_t nLongest = 0;
        for (const CLineSpan& span : m_lines)
            nLongest = std::max(nLongest, static_cast<size_t>(span.nLength));
        m_blocks.resize(3 * nLongest);
    }

    const char* Text(const CLineSpan& span) const { return m_text.data() + span.nOffset; }
    const std::string& AllText() const { return m_text; }
    const std::vector<CLineSpan>& Lines() const { return m_lines; }
    ColorBlock* Blocks() { return m_blocks.data(); }
    // Bytes of line text, without line ends.
    int64_t TextBytes() const { return static_cast<int64_t>(m_text.size() - m_lines.size()); }

private:
    void AddLine(const std::string& line) {
        m_lines.push_back({m_text.size(), static_cast<int>(line.size())});
        m_text += line;
        m_text += '\n';
    }

    std::string m_text;
    std::vector<CLineSpan> m_lines;
    std::vector<ColorBlock> m_blocks;
};

CSampleSource& Source() {
    static CSampleSource source;
    return source;
}

// What drawing does for every visible line: the blocks and the state for the next line.
void BM_ColourLinesWithBlocks(benchmark::State& state) {
    CSampleSource& source = Source();
    ColorBlock* pBlocks = source.Blocks();
    for (auto _ : state) {
        uint32_t dwState = 0;
        int nTotal = 0;
        for (const CLineSpan& span : source.Lines()) {
            int nBlocks = 0;
            dwState = ParseZarnLine(dwState, source.Text(span), span.nLength, pBlocks, nBlocks);
            nTotal += nBlocks;
        }
        benchmark::DoNotOptimize(nTotal);
        benchmark::DoNotOptimize(dwState);
    }
    state.SetBytesProcessed(state.iterations() * source.TextBytes());
    state.counters["target_MB_per_s"] = 150;
}

// What a jump to the end of a long document does: every line's state, no blocks.
void BM_LineStatesOnly(benchmark::State& state) {
    CSampleSource& source = Source();
    for (auto _ : state) {
        uint32_t dwState = 0;
        uint32_t dwCarried = 0;
        for (const CLineSpan& span : source.Lines()) {
            int nScratch = 0;
            dwState = ParseZarnLine(dwState, source.Text(span), span.nLength, nullptr, nScratch);
            dwCarried |= dwState;
        }
        benchmark::DoNotOptimize(dwCarried);
    }
    state.SetBytesProcessed(state.iterations() * source.TextBytes());
    state.counters["target_MB_per_s"] = 500;
}

// The source as one line of 8 MB without comments (line ends made blanks, semicolons commas).
const std::string& OneLongLine() {
    static const std::string line = [] {
        std::string text = Source().AllText();
        std::replace(text.begin(), text.end(), '\n', ' ');
        std::replace(text.begin(), text.end(), ';', ',');
        return text;
    }();
    return line;
}

// What the first paint far to the right of a long line does: the parser's point moved from the
// line's start to its end, against one memchr over the same bytes.
void BM_ParsePointOverOneLongLine(benchmark::State& state) {
    const std::string& line = OneLongLine();
    const int nLength = static_cast<int>(line.size());
    for (auto _ : state) {
        ParsePoint point;
        AdvanceZarnPoint(point, line.data(), nLength, nLength);
        benchmark::DoNotOptimize(point);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}

void BM_MemchrOverOneLongLine(benchmark::State& state) {
    const std::string& line = OneLongLine();
    for (auto _ : state)
        benchmark::DoNotOptimize(std::memchr(line.data(), '\x01', line.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}

// Words as the parser meets them: atoms, value words, numbers and unknown names.
const std::vector<std::string>& SampleWords() {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> all;
        for (const char* const* pp = s_apszAttributeAtoms; *pp; pp += 7)
            all.emplace_back(*pp);
        for (const char* psz : {"yes", "FALSE", "man_start_object", "100", "0FFx", "1.5e3",
                                "caption", "mat_widths", "x"})
            all.emplace_back(psz);
        return all;
    }();
    return words;
}

bool ScanTableLinearly(const char* const* ppszTable, const char* pText, int nLength) {
    for (; *ppszTable; ++ppszTable) {
        if (std::strncmp(*ppszTable, pText, static_cast<size_t>(nLength)) == 0 &&
            (*ppszTable)[nLength] == '\0')
            return true;
    }
    return false;
}

void BM_WordLookupHashed(benchmark::State& state) {
    const std::vector<std::string>& words = SampleWords();
    for (auto _ : state) {
        int nFound = 0;
        for (const std::string& word : words)
            nFound += FindZarnWord(word.data(), static_cast<int>(word.size())) != WORDTABLE_NONE;
        benchmark::DoNotOptimize(nFound);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}

// The three tables scanned front to back, as the words were first looked up.
void BM_WordLookupLinearScan(benchmark::State& state) {
    const std::vector<std::string>& words = SampleWords();
    for (auto _ : state) {
        int nFound = 0;
        for (const std::string& word : words) {
            const int nLength = static_cast<int>(word.size());
            nFound += ScanTableLinearly(s_apszValueWords, word.data(), nLength) ||
                      ScanTableLinearly(s_apszAttributeAtoms, word.data(), nLength) ||
                      ScanTableLinearly(s_apszStructureAtoms, word.data(), nLength);
        }
        benchmark::DoNotOptimize(nFound);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}

} // namespace

BENCHMARK(BM_ColourLinesWithBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineStatesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParsePointOverOneLongLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemchrOverOneLongLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordLookupHashed);
BENCHMARK(BM_WordLookupLinearScan);

BENCHMARK_MAIN();
