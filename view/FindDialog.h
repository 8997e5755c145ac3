// CFindDialog: the modal Find dialog (8601) of a text view, which searches the view while it
// is open and closes on the first match.
#pragma once

#include "buffer/TextPos.h"

#include <memory>

#include <QDialog>
#include <QString>

class CTextView;
class Ui_CFindDialog;

// The message box "Cannot find string"..."" of every search command and dialog.
void ShowCannotFindString(const QString& strFindWhat);

// The caller presets the members, runs DoModal and reads the members back: both ways of
// closing copy the controls into the members first.
class CFindDialog : public QDialog {
    Q_OBJECT

public:
    explicit CFindDialog(CTextView* pView);
    ~CFindDialog() override;

    // Fills the controls from the members; DoModal does it before the dialog shows.
    void OnInitDialog();
    int DoModal();
    // Data exchange: true copies the controls into the members, false the other way.
    void UpdateData(bool bSaveAndValidate = true);
    // Escape and the window's close button cancel through OnCancel.
    void reject() override;

    CTextView* m_pView;
    TextPos m_ptStartPos;   // where a downward search starts
    TextPos m_ptUpStartPos; // where an upward one starts: before the match already selected
    int m_nDirection = 1;   // 0 Up, 1 Down
    bool m_bMatchCase = false;
    QString m_sFindWhat;
    bool m_bWholeWord = false;

protected:
    void OnChangeFindWhat();
    void OnOK();
    void OnCancel();

private:
    std::unique_ptr<Ui_CFindDialog> m_pUi;
};
