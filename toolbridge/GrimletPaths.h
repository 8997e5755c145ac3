// Where the tool commands find Grimlet, and where Load from MAIN.IDX puts the forms it writes.
#pragma once

#include <QString>

// The editor's own directory: the program's, unless another was stood in for it.
QString GetEditorDirectory();
// Stands strDir in for the editor's directory (the tests' programs live elsewhere than the
// editor); an empty string restores the program's own.
void SetEditorDirectory(const QString& strDir);

// The program "grimlet" in the editor's directory, else the one on the PATH; the one in the
// editor's directory (which then fails to start) when there is neither.
QString GetGrimletProgram();

// Where Load from MAIN.IDX has Grimlet write a form: the editor's directory while the user
// may write there and it is not an installed program's, else the per-user data directory,
// created if missing. Empty, with the
// reason in strError, when neither can be had.
QString GetLoadDirectory(QString& strError);

// The name of the file that a loaded record is written to: the record number followed by
// ".zarn". A record number is one name within the load directory, whatever characters it
// holds: "%" and the characters that cannot stand in a file name ("/", control characters)
// are written as "%" and two hexadecimal digits, so that no record names a file elsewhere and
// two different records never share a file.
QString RecordFileName(const QString& strRecord);
