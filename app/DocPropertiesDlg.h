// CDocPropertiesDlg: the "Document Properties" dialog (File Name, GID, Main IDX Path), and the
// question for a database's .idx file that it and Load from MAIN.IDX ask.
#pragma once

#include <memory>

#include <QDialog>
#include <QString>

class Ui_CDocPropertiesDlg;

// Asks for an existing database records (.idx) file; empty when the user cancels.
QString PromptIdxFile(QWidget* pParent);

// Shows a document's three properties. OK writes the GID and the Main IDX Path back through
// the pointers; Cancel writes nothing. The File Name is shown read-only and never written.
class CDocPropertiesDlg : public QDialog {
    Q_OBJECT

public:
    // The strings belong to the document and must outlive the dialog; a null pointer is
    // shown as empty and, for the GID and the path, not written.
    CDocPropertiesDlg(QWidget* pParent, QString* pstrFileName, QString* pstrIdxPath,
                      QString* pstrGid);
    ~CDocPropertiesDlg() override;

private:
    void OnOK();
    void OnBrowse();

    std::unique_ptr<Ui_CDocPropertiesDlg> m_pUi;
    QString* m_pstrIdxPath;
    QString* m_pstrGid;
};
