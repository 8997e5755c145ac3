// Buffer benchmarks: loading and saving against plain read and write, memory held after
// loading, typing and line insertion in a large document, a paste of a million lines near the
// top of ten million, and typing into a line of 100 MB, each large edit against the one move
// of memory it cannot avoid.
#include "BenchFiles.h"
#include "buffer/TextBuffer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

const std::string& InputFile(int index) {
    return index == 0 ? ZarnLikeFile() : ShortLinesFile();
}

size_t FileSize(const std::string& path) {
    struct stat st;
    ::stat(path.c_str(), &st);
    return static_cast<size_t>(st.st_size);
}

// The yardstick of loading: one read of the whole file, then counting its line feeds.
void BM_ReadAndCountLineFeeds(benchmark::State& state) {
    const std::string& path = InputFile(static_cast<int>(state.range(0)));
    const size_t nSize = FileSize(path);
    // Allocated once: the yardstick does not even pay for fresh memory.
    std::unique_ptr<char[]> data(new char[nSize]);
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        size_t nRead = 0;
        while (nRead < nSize) {
            const ssize_t n = ::read(fd, data.get() + nRead, nSize - nRead);
            if (n <= 0)
                break;
            nRead += static_cast<size_t>(n);
        }
        ::close(fd);
        size_t nLines = 0;
        for (const char *p = data.get(), *end = p + nRead;
             (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))));
             ++p)
            ++nLines;
        benchmark::DoNotOptimize(nLines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * nSize));
}

void BM_LoadFile(benchmark::State& state) {
    const std::string& path = InputFile(static_cast<int>(state.range(0)));
    const size_t nSize = FileSize(path);
    for (auto _ : state) {
        CTextBuffer buffer;
        const size_t nBefore = ResidentBytes();
        if (!buffer.LoadFile(path))
            state.SkipWithError("load failed");
        const double nHeld = static_cast<double>(ResidentBytes() - nBefore);
        const double nLines = buffer.GetLineCount();
        // The target: at most 1.3 times the file size plus 32 bytes per line.
        state.counters["held_MB"] = nHeld / 1e6;
        state.counters["allowed_MB"] = (1.3 * static_cast<double>(nSize) + 32 * nLines) / 1e6;
        state.counters["held_per_line_over_file"] = (nHeld - static_cast<double>(nSize)) / nLines;
        state.PauseTiming(); // the buffer's destruction is not part of loading
        buffer.Clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * nSize));
}

// The yardstick of saving: the same bytes with one write and an fsync.
void BM_WriteAndSync(benchmark::State& state) {
    const std::string& path = InputFile(static_cast<int>(state.range(0)));
    CTextBuffer buffer;
    buffer.LoadFile(path);
    std::string bytes;
    buffer.CopyRange(0, 0, buffer.GetLineCount() - 1,
                     buffer.GetLineLength(buffer.GetLineCount() - 1), bytes);
    const std::string out = ScratchPath("write-baseline.out");
    for (auto _ : state) {
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            state.SkipWithError("write failed");
        ::fsync(fd);
        ::close(fd);
    }
    ::unlink(out.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_SaveFile(benchmark::State& state) {
    const std::string& path = InputFile(static_cast<int>(state.range(0)));
    CTextBuffer buffer;
    buffer.LoadFile(path);
    const std::string out = ScratchPath("save.out");
    for (auto _ : state) {
        if (!buffer.SaveFile(out))
            state.SkipWithError("save failed");
    }
    ::unlink(out.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}

// The same file with every line in storage of its own, as after pasting it whole: nothing
// can be written straight from the loaded block.
void BM_SaveFileOfOwnedLines(benchmark::State& state) {
    const std::string& path = InputFile(static_cast<int>(state.range(0)));
    CTextBuffer loaded;
    loaded.LoadFile(path);
    CTextBuffer buffer;
    buffer.InitEmpty(loaded.GetEolStyle());
    buffer.AppendToLine(0, loaded.GetLineView(0));
    for (int i = 1; i < loaded.GetLineCount(); ++i)
        buffer.AddLine(loaded.GetLineView(i));
    loaded.Clear();
    const std::string out = ScratchPath("save-owned.out");
    for (auto _ : state) {
        if (!buffer.SaveFile(out))
            state.SkipWithError("save failed");
    }
    ::unlink(out.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
}

// 100,000 characters typed one by one, with undo recorded, into the document's middle.
void BM_TypeCharacters(benchmark::State& state) {
    constexpr int kChars = 100'000;
    CTextBuffer& buffer = LargeZarnDocument();
    int nLine = buffer.GetLineCount() / 2;
    for (auto _ : state)
        TypeIntoLine(buffer, nLine++, kChars);
    state.counters["per_char"] = benchmark::Counter(
        kChars, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// 10,000 line breaks inserted one by one at line 1.
void BM_InsertLineBreaksAtLine1(benchmark::State& state) {
    constexpr int kBreaks = 10'000;
    CTextBuffer& buffer = LargeZarnDocument();
    for (auto _ : state) {
        for (int i = 0; i < kBreaks; ++i) {
            int nEndLine, nEndChar;
            buffer.InsertTextAt(nullptr, 1, 0, "\r\n", nEndLine, nEndChar, EDITACT_TYPING);
        }
    }
    state.counters["per_break"] = benchmark::Counter(
        kBreaks, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

// Argument 0: the 2,000,000-line Zarn-like file; 1: the 10,000,000-line file.
BENCHMARK(BM_ReadAndCountLineFeeds)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAndSync)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFileOfOwnedLines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeCharacters)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertLineBreaksAtLine1)->Iterations(5)->Unit(benchmark::kMillisecond);

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point tStart) {
    return std::chrono::duration<double>(Clock::now() - tStart).count();
}

// 1,000,000 short lines pasted (with undo) at line 1 of the freshly loaded 10,000,000-line
// file, against one move of its line array measured between the runs.
void BM_PasteLinesAtLine1(benchmark::State& state) {
    constexpr int kPasted = 1'000'000;
    const std::string& path = ShortLinesFile();
    CTextBuffer buffer;
    buffer.LoadFile(path);
    std::string text;
    buffer.CopyRange(0, 0, kPasted, 0, text);
    double nPasteSeconds = 0, nMoveSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        buffer.LoadFile(path);
        nMoveSeconds += SecondsToMoveLineArray(buffer.GetLineCount(), kPasted);
        state.ResumeTiming();
        const Clock::time_point tStart = Clock::now();
        int nEndLine, nEndChar;
        buffer.InsertTextAt(nullptr, 1, 0, text, nEndLine, nEndChar, EDITACT_PASTE);
        nPasteSeconds += SecondsSince(tStart);
    }
    if (buffer.GetLineCount() != 10'000'001 + kPasted)
        state.SkipWithError("the paste did not insert its lines");
    state.counters["move_ms"] = nMoveSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["paste_over_move"] = nPasteSeconds / nMoveSeconds;
}

// A single line of 100 MB without a line end, as a file.
const std::string& LongLineFile() {
    static const std::string path = [] {
        const std::string strPath = ScratchPath("line-100mb.txt");
        std::string line(100'000'000, 'a');
        for (size_t i = 0; i < line.size(); i += 7)
            line[i] = static_cast<char>('a' + i % 26);
        FILE* f = std::fopen(strPath.c_str(), "wb");
        if (!f || std::fwrite(line.data(), 1, line.size(), f) != line.size())
            std::abort();
        std::fclose(f);
        return strPath;
    }();
    return path;
}

// One character typed (with undo) into the middle of the 100 MB line, after the first one
// that copied the line out of the loaded file, against one move of the line's second half.
void BM_TypeIntoLongLine(benchmark::State& state) {
    CTextBuffer buffer;
    buffer.LoadFile(LongLineFile());
    int nPos = buffer.GetLineLength(0) / 2;
    int nEndLine, nEndChar;
    buffer.InsertTextAt(nullptr, 0, nPos, "x", nEndLine, nEndChar, EDITACT_TYPING);
    nPos = nEndChar;
    double nKeySeconds = 0;
    for (auto _ : state) {
        const Clock::time_point tStart = Clock::now();
        buffer.InsertTextAt(nullptr, 0, nPos, "x", nEndLine, nEndChar, EDITACT_TYPING);
        nKeySeconds += SecondsSince(tStart);
        nPos = nEndChar;
    }
    // The median of a few moves of the tail by one byte.
    std::string tail(static_cast<size_t>(buffer.GetLineLength(0) - nPos) + 1, 'a');
    std::vector<double> arrMoves;
    for (int i = 0; i < 5; ++i) {
        const Clock::time_point tStart = Clock::now();
        std::memmove(tail.data() + 1, tail.data(), tail.size() - 1);
        benchmark::DoNotOptimize(tail.data());
        arrMoves.push_back(SecondsSince(tStart));
    }
    std::sort(arrMoves.begin(), arrMoves.end());
    const double nKey = nKeySeconds / static_cast<double>(state.iterations());
    state.counters["key_ms"] = nKey * 1e3;
    state.counters["move_ms"] = arrMoves[2] * 1e3;
    state.counters["key_over_move"] = nKey / arrMoves[2];
}

} // namespace

BENCHMARK(BM_PasteLinesAtLine1)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeIntoLongLine)->Iterations(100)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
