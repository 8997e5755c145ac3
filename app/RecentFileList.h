// CRecentFileList: the files opened or saved last, most recent first, kept in the settings.
#pragma once

#include <QString>
#include <QStringList>

// Stored in the settings group "Recent File List" as File1, File2, ...; written on every
// change, so the list survives however the program ends.
class CRecentFileList {
public:
    explicit CRecentFileList(int nMaxSize = 4);

    void ReadList();
    void WriteList() const;

    // Puts strPath first; an entry for the same path moves up instead of doubling.
    void Add(const QString& strPath);
    void Remove(int nIndex);

    int GetSize() const { return static_cast<int>(m_listFiles.size()); }
    QString GetFile(int nIndex) const { return m_listFiles.value(nIndex); }
    // The menu text of entry nIndex: "&1 /path/to/file.zarn".
    QString GetMenuText(int nIndex) const;

private:
    int m_nMaxSize;
    QStringList m_listFiles;
};
