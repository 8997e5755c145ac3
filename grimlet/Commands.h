// The four commands of grimlet.
#pragma once

#include "grimlet/CommandLine.h"

// Runs one command. It reports what it did in one line on standard output, or why it
// failed in one line on standard error that names the file concerned, and returns the
// exit status: 0 on success, 1 on failure. A failed command leaves the database as it was.
int RunCommand(const GrimletArgs& args);
