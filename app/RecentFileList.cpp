// CRecentFileList: the recent-file entries and their place in the settings.
#include "app/RecentFileList.h"

#include <QSettings>

namespace {

constexpr char kSection[] = "Recent File List";

QString EntryKey(int nIndex) {
    return QStringLiteral("File%1").arg(nIndex + 1);
}

} // namespace

CRecentFileList::CRecentFileList(int nMaxSize) : m_nMaxSize(nMaxSize) {}

void CRecentFileList::ReadList() {
    m_listFiles.clear();
    QSettings settings;
    settings.beginGroup(QString::fromLatin1(kSection));
    for (int i = 0; i < m_nMaxSize; ++i) {
        const QString strPath = settings.value(EntryKey(i)).toString();
        if (!strPath.isEmpty() && !m_listFiles.contains(strPath))
            m_listFiles.append(strPath);
    }
}

void CRecentFileList::WriteList() const {
    QSettings settings;
    settings.beginGroup(QString::fromLatin1(kSection));
    for (int i = 0; i < m_nMaxSize; ++i) {
        if (i < m_listFiles.size())
            settings.setValue(EntryKey(i), m_listFiles.at(i));
        else
            settings.remove(EntryKey(i));
    }
}

void CRecentFileList::Add(const QString& strPath) {
    m_listFiles.removeAll(strPath);
    m_listFiles.prepend(strPath);
    while (m_listFiles.size() > m_nMaxSize)
        m_listFiles.removeLast();
    WriteList();
}

void CRecentFileList::Remove(int nIndex) {
    if (nIndex < 0 || nIndex >= m_listFiles.size())
        return;
    m_listFiles.removeAt(nIndex);
    WriteList();
}

QString CRecentFileList::GetMenuText(int nIndex) const {
    // An & in the path is a character of the name, not a mnemonic.
    QString strPath = GetFile(nIndex);
    strPath.replace(u'&', QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(nIndex + 1).arg(strPath);
}
