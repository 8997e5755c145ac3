// Carrying out a command line that opens no window: printing a file, or telling the user how
// the program is called.
#pragma once

class CCommandLineInfo;

// Prints the command line's file on its printer (or tells what is wrong with the command line)
// and answers the program's exit status: 0 when the file was printed, else not 0 with the
// reason on standard error.
int ProcessShellCommand(const CCommandLineInfo& cmdInfo);
