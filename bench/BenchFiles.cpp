// Deterministic generation of the benchmark inputs.
#include "BenchFiles.h"

#include "buffer/TextBuffer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace {

std::string DataDir() {
    const auto dir = std::filesystem::temp_directory_path() / "zarn-bench";
    std::filesystem::create_directories(dir);
    return dir.string();
}

template <typename MakeLine>
const std::string& Generate(const std::string& name, int nLines, MakeLine makeLine) {
    static thread_local std::string path;
    path = DataDir() + "/" + name;
    if (std::filesystem::exists(path))
        return path;
    const std::string partial = path + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        std::mt19937 rng(42);
        std::string line;
        for (int i = 0; i < nLines; ++i) {
            makeLine(rng, i, line);
            line += "\r\n";
            out.write(line.data(), static_cast<std::streamsize>(line.size()));
        }
        if (!out)
            throw std::runtime_error("cannot write " + partial);
    }
    std::filesystem::rename(partial, path);
    return path;
}

} // namespace

const std::string& ZarnLikeFile() {
    static const std::string path =
        Generate("zarn-2m.zarn", 2'000'000, [](std::mt19937& rng, int i, std::string& line) {
            static const char* const kAtoms[] = {
                "mat_width",     "mat_title",      "mat_bool_modal",   "mat_font_id",
                "mat_object_id", "mat_color_face", "man_start_object", "man_end_object"};
            line.assign(static_cast<size_t>(rng() % 3) * 4, ' ');
            line += kAtoms[rng() % std::size(kAtoms)];
            switch (rng() % 4) {
            case 0:
                line += " <" + std::to_string(rng() % 100000) + ", " + std::to_string(i) + ">";
                break;
            case 1:
                line += " \"A title for the field number " + std::to_string(i) + "\"";
                break;
            case 2:
                line += " yes ; a comment that explains this line";
                break;
            default:
                line += " 0" + std::to_string(rng() % 4096) + "x";
                break;
            }
            while (line.size() < 30)
                line += " ";
        });
    return path;
}

const std::string& ShortLinesFile() {
    static const std::string path =
        Generate("short-10m.txt", 10'000'000, [](std::mt19937& rng, int, std::string& line) {
            line.assign(1 + rng() % 3, static_cast<char>('a' + rng() % 26));
        });
    return path;
}

const std::string& HugeLineFile(bool bTabs) {
    auto generate = [](bool bWithTabs) {
        const std::string file =
            DataDir() + (bWithTabs ? "/huge-line.zarn" : "/huge-line-blanks.zarn");
        if (std::filesystem::exists(file))
            return file;
        static const char* const kAtoms[] = {"mat_width",     "mat_title",      "mat_bool_modal",
                                             "mat_object_id", "mat_color_face", "man_start_object",
                                             "yes",           "dss_list"};
        const std::string partial = file + ".part";
        {
            std::ofstream out(partial, std::ios::binary | std::ios::trunc);
            std::mt19937 rng(7);
            std::string chunk;
            size_t nWritten = 0;
            while (nWritten < 100'000'000) {
                chunk.clear();
                while (chunk.size() < 1'000'000) {
                    chunk += kAtoms[rng() % std::size(kAtoms)];
                    switch (rng() % 3) {
                    case 0:
                        chunk += " \"A title for field " + std::to_string(rng() % 100000) + "\"";
                        break;
                    case 1:
                        chunk += " " + std::to_string(rng() % 100000);
                        break;
                    default:
                        chunk += " 0" + std::to_string(rng() % 4096) + "x";
                        break;
                    }
                    chunk += rng() % 4 == 0 && bWithTabs ? "\t" : " ";
                }
                chunk.resize(std::min(chunk.size(), 100'000'000 - nWritten));
                out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
                nWritten += chunk.size();
            }
            if (!out)
                throw std::runtime_error("cannot write " + partial);
        }
        std::filesystem::rename(partial, file);
        return file;
    };
    if (bTabs) {
        static const std::string withTabs = generate(true);
        return withTabs;
    }
    static const std::string withBlanks = generate(false);
    return withBlanks;
}

std::string ScratchPath(const std::string& name) {
    return DataDir() + "/" + name;
}

CTextBuffer& LargeZarnDocument() {
    static CTextBuffer* pBuffer = [] {
        auto* p = new CTextBuffer;
        if (!p->LoadFile(ZarnLikeFile()))
            std::abort();
        return p;
    }();
    return *pBuffer;
}

std::unique_ptr<CTextBuffer> BufferWithText(std::string_view text) {
    auto pBuffer = std::make_unique<CTextBuffer>();
    pBuffer->InitEmpty(EOL_CRLF);
    int nEndLine = 0;
    int nEndChar = 0;
    pBuffer->RawInsertText(nullptr, 0, 0, text, nEndLine, nEndChar);
    return pBuffer;
}

double SecondsToMoveLineArray(int nLines, int nBy) {
    const size_t nEntry = sizeof(TextLine);
    const size_t nBytes = nEntry * static_cast<size_t>(nLines + nBy);
    CBigBlock block(nBytes);
    std::memset(block.data(), 1, nBytes); // touched first, as the buffer's array is
    const auto tStart = std::chrono::steady_clock::now();
    std::memmove(block.data() + nEntry * static_cast<size_t>(nBy), block.data(),
                 nEntry * static_cast<size_t>(nLines));
    const auto tEnd = std::chrono::steady_clock::now();
    // Read back, so that the move cannot be left out.
    if (block.data()[nBytes - 1] != 1)
        std::abort();
    return std::chrono::duration<double>(tEnd - tStart).count();
}

void TypeIntoLine(CTextBuffer& buffer, int nLine, int nChars) {
    int nPos = buffer.GetLineLength(nLine) / 2;
    for (int i = 0; i < nChars; ++i) {
        int nEndLine, nEndChar;
        buffer.InsertTextAt(nullptr, nLine, nPos, "x", nEndLine, nEndChar, EDITACT_TYPING);
        nPos = nEndChar;
    }
}

size_t HeapBytesInUse() {
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

size_t ResidentBytes() {
    long nPages = 0, nResident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &nPages, &nResident) != 2)
            nResident = 0;
        std::fclose(f);
    }
    return static_cast<size_t>(nResident) * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}
