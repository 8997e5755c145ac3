// CHexConverterDlg: the "Zarn Hex Converter" dialog, which shows the byte codes of typed text.
#pragma once

#include <memory>

#include <QDialog>
#include <QString>

class Ui_CHexConverterDlg;

// Everything the dialog shows lives in its two boxes: the input, and the read-only output
// that follows each change of the input.
class CHexConverterDlg : public QDialog {
    Q_OBJECT

public:
    explicit CHexConverterDlg(QWidget* pParent = nullptr);
    ~CHexConverterDlg() override;

private:
    void OnChangeInput();
    void OnCopy();
    QString ReadInputToConvert() const;

    std::unique_ptr<Ui_CHexConverterDlg> m_pUi;
};
