// Parsing of grimlet's command line.
#include "grimlet/CommandLine.h"

#include <string_view>
#include <vector>

const char GRIMLET_USAGE[] = "usage: grimlet dump DB RECORD OUTFILE | add [-keepComments] DB "
                             "SOURCEFILE | init DB | list DB";

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
