// CRecoveryStore: where the unsaved text of modified documents is kept against a crash: a
// folder per running editor, held by a lock, and the folders that editors which ended
// abnormally left behind.
#pragma once

#include "buffer/FileOps.h"

#include <chrono>
#include <vector>

#include <QString>

class CTextBuffer;

// One recovery file, without its text.
struct RecoveryRecord {
    QString strFile;         // the recovery file itself
    QString strOriginalPath; // the document's file; empty for a document never saved
    QString strTitle;
    int nEolStyle = 0;
};

// When a modified document's recovery file is written next: a second after the typing pauses,
// and while it goes on no later than five seconds after the first change the file does not
// hold yet, or twenty times as long as the last write took if that is longer, so that writing
// a large document takes at most a twentieth of the time spent typing.
std::chrono::steady_clock::time_point
RecoveryWriteDue(std::chrono::steady_clock::time_point tFirstUnwritten,
                 std::chrono::steady_clock::time_point tLastChange,
                 std::chrono::steady_clock::duration lastWrite);

// The folders live under the root, each named "editor-" and a unique suffix, with a file
// "lock" that its editor holds locked (flock) while it runs: the system releases the lock
// when the editor ends, however it ends, so an unlocked folder is one left behind. A recovery
// file holds a short header (the document's path and title, its line-end style and the
// text's length) followed by the text exactly as saving would write it.
class CRecoveryStore {
public:
    explicit CRecoveryStore(QString strRoot);
    CRecoveryStore(const CRecoveryStore&) = delete;
    CRecoveryStore& operator=(const CRecoveryStore&) = delete;
    // Removes this editor's folder with what is left in it, and lets the taken folders go.
    ~CRecoveryStore();

    // "recovery" in the user's application data directory.
    static QString DefaultRoot();
    const QString& GetRoot() const { return m_strRoot; }

    // Makes this editor's folder and locks it for as long as the store lives.
    FileResult Open();
    bool IsOpen() const { return m_own.fdLock >= 0; }
    const QString& GetFolder() const { return m_own.strPath; }

    // A name in this editor's folder for the recovery file of a document with that title.
    QString NewFileName(const QString& strTitle);
    // Writes the text of buffer, with the document's path and title, the way saving writes:
    // into a temporary file that is synced and renamed over strFile.
    FileResult Write(const QString& strFile, const CTextBuffer& buffer,
                     const QString& strOriginalPath, const QString& strTitle) const;
    static void Remove(const QString& strFile);

    // The recovery files of the editors that ended without cleaning up, oldest folder first.
    // Their folders stay locked by this store until Release, so that no other editor offers
    // them at the same time; folders without a recovery file are removed at once.
    std::vector<RecoveryRecord> TakeAbandoned();
    // Removes the given recovery files of the taken folders, then every taken folder that
    // holds no other, and unlocks the rest (which a later start offers again).
    void Release(const std::vector<RecoveryRecord>& listDone);

    // The header of a recovery file.
    static FileResult ReadRecord(const QString& strFile, RecoveryRecord& record);
    // Copies the text of a recovery file into strTextFile, a file of its own.
    static FileResult ExtractText(const RecoveryRecord& record, const QString& strTextFile);

private:
    struct LockedFolder {
        QString strPath;
        int fdLock = -1;
    };

    static int LockFolder(const QString& strFolder);
    static void RemoveFolder(LockedFolder& folder);

    QString m_strRoot;
    LockedFolder m_own;
    std::vector<LockedFolder> m_lstTaken;
    int m_nNextFile = 1;
};
