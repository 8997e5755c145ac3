// CGoToLineDlg: the modal Go to Line dialog of a text view: a line number within the
// document's range and an optional column; OK stays disabled while the input is not valid.
#pragma once

#include "view/GoToLine.h"

#include <memory>

#include <QDialog>

class Ui_CGoToLineDlg;

class CGoToLineDlg : public QDialog {
    Q_OBJECT

public:
    // The line field starts with nCurrentLine (counted from 1), selected.
    CGoToLineDlg(QWidget* pParent, int nLineCount, int nCurrentLine);
    ~CGoToLineDlg() override;

    int DoModal() { return exec(); }
    // What OK accepted; meaningful once the dialog was accepted.
    const GoToLineInput& GetInput() const { return m_input; }

private:
    std::optional<GoToLineInput> ReadInput() const;
    void OnChangeInput();
    void OnOK();

    std::unique_ptr<Ui_CGoToLineDlg> m_pUi;
    int m_nLineCount;
    GoToLineInput m_input;
};
