// Helpers of the grimlet tests: running the built program, temporary directories, files.
#pragma once

#include "tests/support/TempFiles.h"

#include <string>
#include <sys/types.h>
#include <vector>

// The grimlet built next to the editor.
constexpr const char GRIMLET_PATH[] = ZARN_BUILD_DIR "/grimlet";

struct GrimletRun {
    int nExit = -1; // the exit status, or -1 when the program did not exit normally
    std::string strOut;
    std::string strErr;
};

// Runs grimlet with these arguments and waits for it.
GrimletRun RunGrimlet(const std::vector<std::string>& args);
// Starts grimlet with these arguments, its output discarded; the caller waits for it.
pid_t StartGrimlet(const std::vector<std::string>& args);

// A records database at `path` holding these sources, each added with -keepComments and
// each naming its record in a "; GID" header. Fails the test on any error.
void MakeDatabase(const TempDir& dir, const std::string& path,
                  const std::vector<std::string>& sources);

// The result of SQLite's own "PRAGMA integrity_check" on the file ("ok" when sound).
std::string IntegrityCheck(const std::string& path);
