// CReplaceTextDlg: the modal Replace dialog (8602) of an edit view: Find Next, Replace and
// Replace All over the whole file or within the selection it opened on.
#pragma once

#include "buffer/TextPos.h"

#include <memory>
#include <string>

#include <QDialog>
#include <QString>

class CTextEditView;
class Ui_CReplaceTextDlg;

// The caller presets the members, runs DoModal and reads the members back: the dialog has no
// OK button, and Cancel, Escape and the close button all copy the controls into the members
// first. Enter presses Find Next.
class CReplaceTextDlg : public QDialog {
    Q_OBJECT

public:
    explicit CReplaceTextDlg(CTextEditView* pView);
    ~CReplaceTextDlg() override;

    // Fills the controls from the members; DoModal does it before the dialog shows.
    void OnInitDialog();
    int DoModal();
    // Data exchange: true copies the controls into the members, false the other way.
    void UpdateData(bool bSaveAndValidate = true);
    // Escape and the window's close button cancel through OnCancel.
    void reject() override;

    CTextEditView* m_pView;
    bool m_bFound = false; // a match is selected in the view
    TextPos m_ptMatchPos;  // where the next search starts; the match while m_bFound
    bool m_bAllowSelectionScope = true;
    TextPos m_ptStartPos;   // where the first search starts
    TextPos m_ptRangeBegin; // the Selection scope
    TextPos m_ptRangeEnd;
    bool m_bMatchCase = false;
    bool m_bWholeWord = false;
    QString m_sFindWhat;
    QString m_sReplaceWith;
    int m_nScope = -1; // 0 Selection, 1 Whole file

protected:
    void OnChangeFindWhat();
    void OnFindNext();
    void OnReplace();
    void OnReplaceAll();
    void OnCancel();

    // Searches on from m_ptMatchPos, never upward nor round, and selects the match; tells the
    // user when there is none. SelectNextMatch does the same without telling.
    bool FindAndSelectNext(const std::string& strFind);
    bool SelectNextMatch(const std::string& strFind);
    // Tells the user, and starts the next search over at the start of the scope.
    void OnNotFound();
    // A text of the dialog as document bytes; false, after telling the user, when it holds a
    // character the document cannot hold, which is then neither searched nor written.
    bool ConvertText(const QString& strText, const QString& strAction, std::string& strBytes);
    bool ConvertBothTexts(std::string& strFind, std::string& strReplace);
    // Replaces the selected match and moves the scope and the next search behind the new
    // text; false when the view changed nothing.
    bool ReplaceMatch(const std::string& strFind, const std::string& strReplace);

private:
    std::unique_ptr<Ui_CReplaceTextDlg> m_pUi;
};
