// The command line of grimlet: four commands and their arguments, or the help or version.
#pragma once

#include <string>

enum class GrimletCommand { Dump, Add, Init, List };
// Run a command, or only tell about the program.
enum class GrimletRequest { Command, Help, Version };

struct GrimletArgs {
    GrimletRequest nRequest = GrimletRequest::Command;
    GrimletCommand nCommand = GrimletCommand::List;
    bool bKeepComments = false;
    std::string strDb;
    std::string strRecord; // dump only
    std::string strFile;   // dump: the file written; add: the source read
};

// One line naming every command and its arguments.
extern const char GRIMLET_USAGE[];
// What --help prints: the usage, then each command explained.
extern const char GRIMLET_HELP[];
// What --version prints.
extern const char GRIMLET_VERSION[];

// Fills `args` from the words after the program name; false, with the reason in
// `strError`, when they do not form one command.
bool ParseCommandLine(int argc, const char* const* argv, GrimletArgs& args, std::string& strError);
