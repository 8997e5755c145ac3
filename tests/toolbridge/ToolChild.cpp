// A child program for the runner's tests: each argument is one step, done in order.
//   out:TEXT   err:TEXT   write TEXT (escapes \n \r \b \0 \\ \xHH) to stdout / stderr at once
//   wait:PATH            wait until PATH exists (the test's signal to go on)
//   touch:PATH           create PATH (the child's signal to the test)
//   flood:BYTES          write FloodText(BYTES) in writes of 4096 bytes, as stdio would
//   unbroken:BYTES       write BYTES letters without a line break, in writes of 4096 bytes
//   yes:SECONDS          write "y\n" over and over for SECONDS seconds, in writes of 8192
//                        bytes, as yes(1) does
//   spew                 write numbered lines in writes of 4096 bytes, never ending
//   stdin                read standard input to its end and say how it went
//   grandchild:PATH      start a grandchild that never ends; write "<own pid> <its pid>" to PATH
//   hang                 never end
//   args                 write each following argument as "[argument]\n" and stop
#include "FloodText.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <string_view>
#include <unistd.h>

static std::string Unescape(std::string_view text) {
    std::string strOut;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] == '\\' && i + 1 < text.size() ? text[++i] : '\0';
        if (c == 'x' && i + 2 < text.size()) {
            strOut += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            const std::string_view from = "nrb0", to("\n\r\b\0", 4);
            strOut += c == '\0' ? text[i] : from.find(c) < 4 ? to[from.find(c)] : c;
        }
    }
    return strOut;
}

static void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            std::exit(2);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// Writes the text in pieces of nPiece bytes, as a program's buffered output comes.
static void WriteInPieces(const std::string& strText, std::size_t nPiece) {
    for (std::size_t i = 0; i < strText.size(); i += nPiece)
        WriteAll(1, std::string_view(strText).substr(i, nPiece));
}

static void WriteFile(const std::string& path, const std::string& text) {
    FILE* pFile = std::fopen(path.c_str(), "w");
    if (pFile == nullptr || std::fputs(text.c_str(), pFile) < 0 || std::fclose(pFile) != 0)
        std::exit(4);
}

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        const std::size_t nColon = arg.find(':');
        const std::string_view cmd = arg.substr(0, nColon);
        const std::string value(nColon == std::string_view::npos ? "" : arg.substr(nColon + 1));
        if (cmd == "out" || cmd == "err") {
            WriteAll(cmd == "out" ? 1 : 2, Unescape(value));
        } else if (cmd == "wait") {
            // A generous bound, so that a broken test fails instead of hanging.
            for (int n = 0; access(value.c_str(), F_OK) != 0; ++n, usleep(1000))
                if (n == 60000)
                    return 3;
        } else if (cmd == "touch") {
            WriteFile(value, "");
        } else if (cmd == "flood") {
            WriteInPieces(FloodText(std::stoul(value)), 4096);
        } else if (cmd == "unbroken") {
            std::string strBlock(4096, ' ');
            for (std::size_t n = 0; n < strBlock.size(); ++n)
                strBlock[n] = static_cast<char>('a' + n % 26);
            for (std::size_t nLeft = std::stoul(value); nLeft > 0;
                 nLeft -= std::min(nLeft, strBlock.size()))
                WriteAll(1, std::string_view(strBlock).substr(0, nLeft));
        } else if (cmd == "yes") {
            std::string strBlock;
            while (strBlock.size() < 8192)
                strBlock += "y\n";
            const auto end = Clock::now() + std::chrono::duration<double>(std::stod(value));
            do
                WriteAll(1, strBlock);
            while (Clock::now() < end);
        } else if (cmd == "spew") {
            for (;;)
                WriteInPieces(FloodText(1 << 20), 4096);
        } else if (cmd == "stdin") {
            // Standard input must be at its end at once; a bound keeps an open one from hanging.
            std::size_t nBytes = 0;
            char buffer[256];
            ssize_t n = 0;
            int nReady = 0;
            pollfd pfd{0, POLLIN, 0};
            while ((nReady = poll(&pfd, 1, 30000)) > 0 && (n = read(0, buffer, sizeof buffer)) > 0)
                nBytes += static_cast<std::size_t>(n);
            WriteAll(1, nReady > 0 ? "stdin: end after " + std::to_string(nBytes) + " bytes\n"
                                   : std::string("stdin: still open\n"));
        } else if (cmd == "grandchild") {
            const pid_t pid = fork();
            if (pid < 0)
                return 5;
            while (pid == 0)
                pause();
            // Written under another name and renamed, so that the test never reads half of it.
            WriteFile(value + ".part", std::to_string(getpid()) + " " + std::to_string(pid) + "\n");
            std::rename((value + ".part").c_str(), value.c_str());
        } else if (cmd == "hang") {
            for (;;)
                pause();
        } else if (cmd == "args") {
            for (++i; i < argc; ++i)
                WriteAll(1, "[" + std::string(argv[i]) + "]\n");
        } else {
            WriteAll(2, "unknown step: " + std::string(arg) + "\n");
            return 1;
        }
    }
    return 0;
}
