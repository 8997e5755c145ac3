// CHexConverterDlg: the "Zarn Hex Converter" dialog, which shows the byte codes of typed text.
#include "hexconv/HexConverterDlg.h"

#include "hexconv/HexConvert.h"
#include "ui_HexConverterDlg.h"

#include <algorithm>

#include <QClipboard>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

CHexConverterDlg::CHexConverterDlg(QWidget* pParent)
    : QDialog(pParent), m_pUi(std::make_unique<Ui_CHexConverterDlg>()) {
    m_pUi->setupUi(this);
    connect(m_pUi->IDC_INPUT_7000, &QPlainTextEdit::textChanged, this,
            &CHexConverterDlg::OnChangeInput);
    connect(m_pUi->IDOK_1, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pUi->IDC_COPY_7003, &QPushButton::clicked, this, &CHexConverterDlg::OnCopy);
}

CHexConverterDlg::~CHexConverterDlg() = default;

// Only the start of the input can reach the output, so a large paste costs no more per
// keystroke than a short one.
QString CHexConverterDlg::ReadInputToConvert() const {
    QTextDocument* pDoc = m_pUi->IDC_INPUT_7000->document();
    const int nEnd = std::min<int>(pDoc->characterCount() - 1, HEX_MAX_CODES + 1);
    QTextCursor cursor(pDoc);
    cursor.setPosition(nEnd, QTextCursor::KeepAnchor);
    // Line breaks come back as paragraph separators; they are what the user typed as Enter.
    return cursor.selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

void CHexConverterDlg::OnChangeInput() {
    const QString strInput = ReadInputToConvert();
    const std::string strHex = ConvertToHexGroups(
        std::u16string_view(reinterpret_cast<const char16_t*>(strInput.utf16()), strInput.size()));

    QPlainTextEdit* pOutput = m_pUi->IDC_OUTPUT_7001;
    pOutput->setPlainText(QString::fromLatin1(strHex.data(), qsizetype(strHex.size())));
    QTextCursor cursor = pOutput->textCursor();
    cursor.select(QTextCursor::Document);
    pOutput->setTextCursor(cursor);
    pOutput->ensureCursorVisible();
}

// Copies what is selected in the output (the whole of it after each change of the input,
// or what the user selected since), then closes as cancelled either way.
void CHexConverterDlg::OnCopy() {
    const QTextCursor cursor = m_pUi->IDC_OUTPUT_7001->textCursor();
    if (!m_pUi->IDC_OUTPUT_7001->document()->isEmpty() && cursor.hasSelection())
        QGuiApplication::clipboard()->setText(cursor.selectedText());
    reject();
}
