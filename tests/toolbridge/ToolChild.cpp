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
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static std::string Unescape(std::string_view text) {
    std::string strOut;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            strOut += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'n')
            strOut += '\n';
        else if (c == 'r')
            strOut += '\r';
        else if (c == 'b')
            strOut += '\b';
        else if (c == '0')
            strOut += '\0';
        else if (c == 'x' && i + 2 < text.size()) {
            strOut += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else
            strOut += c;
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

static bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

static void WaitFor(const std::string& path) {
    // A generous bound, so that a broken test fails instead of hanging.
    for (int i = 0; i < 60000 && !Exists(path); ++i)
        usleep(1000);
    if (!Exists(path))
        std::exit(3);
}

static void Touch(const std::string& path) {
    FILE* pFile = std::fopen(path.c_str(), "w");
    if (pFile == nullptr)
        std::exit(4);
    std::fclose(pFile);
}

static void Flood(std::size_t nBytes) {
    const std::string strText = FloodText(nBytes);
    for (std::size_t i = 0; i < strText.size(); i += 4096)
        WriteAll(1, std::string_view(strText).substr(i, 4096));
}

static void Unbroken(std::size_t nBytes) {
    std::string strBlock(4096, ' ');
    for (std::size_t i = 0; i < strBlock.size(); ++i)
        strBlock[i] = static_cast<char>('a' + i % 26);
    for (std::size_t nDone = 0; nDone < nBytes; nDone += strBlock.size())
        WriteAll(1,
                 std::string_view(strBlock).substr(0, std::min(strBlock.size(), nBytes - nDone)));
}

static void Yes(double dSeconds) {
    std::string strBlock;
    while (strBlock.size() < 8192)
        strBlock += "y\n";
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        WriteAll(1, strBlock);
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (double(now.tv_sec - start.tv_sec) + double(now.tv_nsec - start.tv_nsec) / 1e9 >=
            dSeconds)
            return;
    }
}

// Standard input must be at its end at once; a bound keeps an open one from hanging the test.
static void ReadStdin() {
    std::size_t nBytes = 0;
    char buffer[256];
    for (;;) {
        pollfd pfd{0, POLLIN, 0};
        if (poll(&pfd, 1, 30000) <= 0) {
            WriteAll(1, "stdin: still open\n");
            return;
        }
        const ssize_t n = read(0, buffer, sizeof buffer);
        if (n <= 0)
            break;
        nBytes += static_cast<std::size_t>(n);
    }
    WriteAll(1, "stdin: end after " + std::to_string(nBytes) + " bytes\n");
}

static void StartGrandchild(const std::string& path) {
    const pid_t pid = fork();
    if (pid < 0)
        std::exit(5);
    if (pid == 0) {
        for (;;)
            pause();
    }
    const std::string strTemp = path + ".part";
    FILE* pFile = std::fopen(strTemp.c_str(), "w");
    if (pFile == nullptr)
        std::exit(4);
    std::fprintf(pFile, "%d %d\n", static_cast<int>(getpid()), static_cast<int>(pid));
    std::fclose(pFile);
    std::rename(strTemp.c_str(), path.c_str());
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        const std::size_t nColon = arg.find(':');
        const std::string_view cmd = arg.substr(0, nColon);
        const std::string value(nColon == std::string_view::npos ? "" : arg.substr(nColon + 1));
        if (cmd == "out")
            WriteAll(1, Unescape(value));
        else if (cmd == "err")
            WriteAll(2, Unescape(value));
        else if (cmd == "wait")
            WaitFor(value);
        else if (cmd == "touch")
            Touch(value);
        else if (cmd == "flood")
            Flood(std::stoul(value));
        else if (cmd == "unbroken")
            Unbroken(std::stoul(value));
        else if (cmd == "yes")
            Yes(std::stod(value));
        else if (cmd == "spew") {
            for (;;)
                Flood(1 << 20);
        } else if (cmd == "stdin")
            ReadStdin();
        else if (cmd == "grandchild")
            StartGrandchild(value);
        else if (cmd == "hang") {
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
