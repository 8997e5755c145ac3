// CSampleView: Zarn colouring through the Zarn line parser, and the document's buffer and font.
#include "app/SampleView.h"

#include "language/ZarnParser.h"

CSampleView::CSampleView(QWidget* pParent) : CTextView(pParent) {}

LogFont CSampleView::DocumentFont() {
    LogFont lf;
    lf.strFaceName = QStringLiteral("Courier New");
    lf.nHeight = 17;
    lf.nWeight = FW_NORMAL;
    return lf;
}

uint32_t CSampleView::ParseLine(uint32_t dwState, int nLine, ColorBlock* pBlocks, int& nBlocks) {
    return ParseZarnLine(dwState, GetLineText(nLine), GetLineLength(nLine), pBlocks, nBlocks);
}

CTextBuffer* CSampleView::LocateBuffer() {
    return m_pDocumentBuffer;
}

void CSampleView::OnInitialUpdate() {
    CTextView::OnInitialUpdate();
    SetBaseFont(DocumentFont());
}
