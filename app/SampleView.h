// CSampleView: the editor's view of a Zarn document: the text view with Zarn colouring and
// the document's font.
#pragma once

#include "view/TextView.h"

class CSampleView : public CTextView {
    Q_OBJECT

public:
    explicit CSampleView(QWidget* pParent = nullptr);

    // The buffer LocateBuffer answers with: the document's, once there are documents.
    void SetDocumentBuffer(CTextBuffer* pBuffer) { m_pDocumentBuffer = pBuffer; }

    // The font every view of a Zarn document shows its text in.
    static LogFont DocumentFont();

    uint32_t ParseLine(uint32_t dwState, int nLine, ColorBlock* pBlocks, int& nBlocks) override;
    CTextBuffer* LocateBuffer() override;
    void OnInitialUpdate() override;

private:
    CTextBuffer* m_pDocumentBuffer = nullptr;
};
