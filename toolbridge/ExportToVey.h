// Export to Vey: the document's text written as a Vey file, with a note in the Output pane.
#pragma once

#include <QString>

class CTextBuffer;
class QPlainTextEdit;
class QWidget;

// Asks for the Vey file and writes the buffer to it (CTextBuffer::ExportVey), unsaved changes
// included; the document is not changed. The question offers the document's name with ".vey"
// (its file's directory and base name, or its title when it has no file), and a name with a
// wildcard ("*" or "?") is refused and asked for again. strFileName is the document's File
// Name property and strPathName the file it saves to: a chosen file that is either of them, by
// any spelling, is refused ("Can not export to self."). A write failure is told in a message
// box and leaves an existing file as it was; on success the pane (pOutput, may be null) says
// what was exported where, with its note on the translation.
void ExportToVey(const CTextBuffer& buffer, const QString& strFileName, const QString& strPathName,
                 const QString& strTitle, QWidget* pParent, QPlainTextEdit* pOutput);

// Whether the two paths name the same file however they are spelt: both are made canonical
// (symbolic links, "." and ".." resolved); a file that does not exist yet counts as its
// directory's canonical path and its name. An empty path names no file.
bool IsSameFilePath(const QString& strA, const QString& strB);
