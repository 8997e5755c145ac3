// CRecordNumberDlg: the "Get Record Number" dialog that asks which record to load.
#pragma once

#include <memory>

#include <QDialog>
#include <QString>

class Ui_CRecordNumberDlg;

// Opens with an empty number field. OK copies the typed text into the caller's string;
// Cancel leaves that string as it was.
class CRecordNumberDlg : public QDialog {
    Q_OBJECT

public:
    // `pstrResult` belongs to the caller and must outlive the dialog; null: nothing is written.
    CRecordNumberDlg(QWidget* pParent, QString* pstrResult);
    ~CRecordNumberDlg() override;

private:
    void OnOK();

    std::unique_ptr<Ui_CRecordNumberDlg> m_pUi;
    QString* m_pstrResult;
};
