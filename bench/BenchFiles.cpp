// Deterministic generation of the benchmark inputs.
#include "BenchFiles.h"

#include "buffer/TextBuffer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

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
