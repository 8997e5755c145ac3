// Parsing of grimlet's command line.
#include "grimlet/CommandLine.h"

#include <string_view>
#include <vector>

const char GRIMLET_USAGE[] = "usage: grimlet dump DB RECORD OUTFILE | add [-keepComments] DB "
                             "SOURCEFILE | init DB | list DB";

const char GRIMLET_HELP[] =
    "Usage: grimlet COMMAND ARGUMENTS...\n"
    "Moves Zarn forms between a records database (MAIN.IDX) and Zarn source files.\n"
    "\n"
    "  grimlet dump DB RECORD OUTFILE         write record RECORD of DB as Zarn source to\n"
    "                                         OUTFILE; a record that does not exist gives\n"
    "                                         a new, empty form\n"
    "  grimlet add [-keepComments] DB SOURCE  store the form in SOURCE as its record, replacing\n"
    "                                         an older version; comments are stripped unless\n"
    "                                         -keepComments is given\n"
    "  grimlet init DB                        create an empty records database\n"
    "  grimlet list DB                        list the record numbers in DB\n"
    "  grimlet --help | --version             show this help, or the version, and exit\n"
    "\n"
    "The record of a source comes from its first line, \"; GID RECORD\", or else from the\n"
    "file's name. Exit status: 0 on success, 1 when the command failed, 2 for a wrong\n"
    "command line.\n";

const char GRIMLET_VERSION[] = "grimlet " ZARN_VERSION "\n";

namespace {

bool WrongCount(std::string_view command, std::string& strError) {
    strError = std::string(command) + ": wrong number of arguments";
    return false;
}

} // namespace

bool ParseCommandLine(int argc, const char* const* argv, GrimletArgs& args, std::string& strError) {
    std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (words.empty()) {
        strError = "no command";
        return false;
    }
    const std::string strCommand = words.front();
    words.erase(words.begin());
    if ((strCommand == "--help" || strCommand == "-h" || strCommand == "--version") &&
        words.empty()) {
        args.nRequest = strCommand == "--version" ? GrimletRequest::Version : GrimletRequest::Help;
        return true;
    }
    if (strCommand == "dump") {
        if (words.size() != 3)
            return WrongCount(strCommand, strError);
        args.nCommand = GrimletCommand::Dump;
        args.strDb = words[0];
        args.strRecord = words[1];
        args.strFile = words[2];
        return true;
    }
    if (strCommand == "add") {
        args.bKeepComments = !words.empty() && words.front() == "-keepComments";
        if (args.bKeepComments)
            words.erase(words.begin());
        if (words.size() != 2)
            return WrongCount(strCommand, strError);
        if (!words[0].empty() && words[0].front() == '-') {
            strError = "add: unknown option \"" + words[0] + "\"";
            return false;
        }
        args.nCommand = GrimletCommand::Add;
        args.strDb = words[0];
        args.strFile = words[1];
        return true;
    }
    if (strCommand == "init" || strCommand == "list") {
        if (words.size() != 1)
            return WrongCount(strCommand, strError);
        args.nCommand = strCommand == "init" ? GrimletCommand::Init : GrimletCommand::List;
        args.strDb = words[0];
        return true;
    }
    strError = "unknown command \"" + strCommand + "\"";
    return false;
}
