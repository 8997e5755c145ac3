// grimlet: converts between the records of a records database and Zarn source files.
#include "grimlet/CommandLine.h"
#include "grimlet/Commands.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    GrimletArgs args;
    std::string strError;
    if (!ParseCommandLine(argc, argv, args, strError)) {
        std::fprintf(stderr, "grimlet: %s (%s)\n", strError.c_str(), GRIMLET_USAGE);
        return 2;
    }
    if (args.nRequest != GrimletRequest::Command) {
        std::fputs(args.nRequest == GrimletRequest::Help ? GRIMLET_HELP : GRIMLET_VERSION, stdout);
        return 0;
    }
    try {
        return RunCommand(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "grimlet: %s: %s\n", args.strDb.c_str(), e.what());
        return 1;
    }
}
