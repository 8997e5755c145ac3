// The four commands: dump a record to a file, add a source file, create and list a database.
#include "grimlet/Commands.h"

#include "buffer/FileReader.h"
#include "buffer/SafeFileWriter.h"
#include "grimlet/CommentStripper.h"
#include "grimlet/RecordNumber.h"
#include "grimlet/RecordsDb.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// Every report is one line, whatever the record numbers and paths it echoes hold.
int Succeed(const std::string& strReport) {
    std::fprintf(stdout, "%s\n", EscapedForReport(strReport).c_str());
    // The editor shows this while grimlet runs: do not wait for the buffer to fill.
    std::fflush(stdout);
    return 0;
}

int Fail(const std::string& strFile, const std::string& strReason) {
    std::fprintf(stderr, "grimlet: %s\n", EscapedForReport(strFile + ": " + strReason).c_str());
    std::fflush(stderr);
    return 1;
}

bool IsSameFile(const std::string& strA, const std::string& strB) {
    struct stat a;
    struct stat b;
    return ::stat(strA.c_str(), &a) == 0 && ::stat(strB.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

int RunDump(const GrimletArgs& args) {
    if (!IsValidRecordNumber(args.strRecord))
        return Fail(args.strDb, "\"" + args.strRecord +
                                    "\" is not a record number (digits and '-', like 32-105)");
    // Writing over the database would destroy every record in it.
    if (IsSameFile(args.strFile, args.strDb))
        return Fail(args.strFile, "is the records database itself; choose another file");

    CRecordsDb db;
    std::string strSource;
    bool bFound = false;
    if (FileResult result = db.Open(args.strDb, false); !result)
        return Fail(args.strDb, result.strError);
    if (FileResult result = db.Read(args.strRecord, strSource, bFound); !result)
        return Fail(args.strDb, result.strError);
    if (!bFound)
        strSource = RecordHeader(args.strRecord) + "\n";

    CSafeFileWriter writer(CFileOps::System());
    FileResult result = writer.Begin(args.strFile, false);
    if (result) {
        writer.Append(strSource);
        result = writer.Commit();
    }
    if (!result)
        return Fail(args.strFile, "cannot write: " + result.strError);
    if (!bFound)
        return Succeed("Record " + args.strRecord + " is not in " + args.strDb +
                       ": a new, empty form was written to " + args.strFile);
    return Succeed("Record " + args.strRecord + " written to " + args.strFile);
}

int RunAdd(const GrimletArgs& args) {
    LoadedFile file;
    if (FileResult result = ReadWholeFile(args.strFile, file); !result)
        return Fail(args.strFile, "cannot read: " + result.strError);
    const std::string_view source(file.block.data() ? file.block.data() : "", file.nSize);
    const RecordOrigin origin = FindRecordNumber(source, args.strFile);
    if (origin.strRecord.empty())
        return Fail(args.strFile, origin.strError);

    CRecordsDb db;
    if (FileResult result = db.Open(args.strDb, true); !result)
        return Fail(args.strDb, result.strError);
    std::string strStripped;
    if (!args.bKeepComments)
        strStripped = StripComments(source);
    bool bReplaced = false;
    if (FileResult result =
            db.Store(origin.strRecord, args.bKeepComments ? source : strStripped, bReplaced);
        !result)
        return Fail(args.strDb, result.strError);
    return Succeed("Record " + origin.strRecord + (bReplaced ? " replaced in " : " added to ") +
                   args.strDb + " from " + args.strFile +
                   (args.bKeepComments ? " (comments kept)" : " (comments removed)"));
}

int RunInit(const GrimletArgs& args) {
    if (FileResult result = CRecordsDb::Create(args.strDb); !result)
        return Fail(args.strDb, result.strError);
    return Succeed("Created the empty records database " + args.strDb);
}

int RunList(const GrimletArgs& args) {
    CRecordsDb db;
    std::vector<std::string> records;
    if (FileResult result = db.Open(args.strDb, false); !result)
        return Fail(args.strDb, result.strError);
    if (FileResult result = db.List(records); !result)
        return Fail(args.strDb, result.strError);
    for (const std::string& strRecord : records)
        std::fprintf(stdout, "%s\n", strRecord.c_str());
    std::fflush(stdout);
    return 0;
}

} // namespace

int RunCommand(const GrimletArgs& args) {
    switch (args.nCommand) {
    case GrimletCommand::Dump:
        return RunDump(args);
    case GrimletCommand::Add:
        return RunAdd(args);
    case GrimletCommand::Init:
        return RunInit(args);
    case GrimletCommand::List:
        return RunList(args);
    }
    return Fail(args.strDb, "unknown command");
}
