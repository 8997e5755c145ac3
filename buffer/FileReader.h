// Reading a whole file into one block, as loading needs it.
#pragma once

#include "buffer/BigAlloc.h"
#include "buffer/FileOps.h"

#include <cstddef>
#include <string>

struct LoadedFile {
    CBigBlock block; // may be larger than the file
    size_t nSize = 0;
    // The user may not write the file (for the superuser: no write bit is set at all).
    bool bReadOnly = false;
};

// Reads regular files only, and never waits for a writer: a FIFO, a device or a directory
// is refused, as is a file for which memory cannot be had.
FileResult ReadWholeFile(const std::string& strPath, LoadedFile& file);
