// CSampleView: Zarn colouring through the Zarn line parser, the document's buffer and font,
// and the route of the view's commands.
#include "app/SampleView.h"

#include "app/CommandRoute.h"
#include "app/SampleApp.h"
#include "app/SampleDoc.h"
#include "language/ZarnParser.h"

CSampleView::CSampleView(QWidget* pParent) : CTextEditView(pParent) {}

CSampleView::~CSampleView() {
    // A view on its way out tells nobody of its caret: the frame that listens may already be
    // half destroyed.
    blockSignals(true);
    // The buffer belongs to the document, which may go as soon as its last view has left it.
    DetachBuffer();
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

LogFont CSampleView::DocumentFont() {
    return CSampleDoc::InitialFont();
}

uint32_t CSampleView::ParseLine(uint32_t dwState, int nLine, ColorBlock* pBlocks, int& nBlocks) {
    return ParseZarnLine(dwState, GetLineText(nLine), GetLineLength(nLine), pBlocks, nBlocks);
}

bool CSampleView::AdvanceParsePoint(int nLine, ParsePoint& point, int nTo) {
    AdvanceZarnPoint(point, GetLineText(nLine), GetLineLength(nLine), nTo);
    return true;
}

void CSampleView::ParseLineWindow(int nLine, const ParsePoint& point, int nTo, ColorBlock* pBlocks,
                                  int& nBlocks) {
    ParseZarnWindow(point, GetLineText(nLine), GetLineLength(nLine), nTo, pBlocks, nBlocks);
}

CTextBuffer* CSampleView::LocateBuffer() {
    return m_pDocument ? &m_pDocument->GetTextBuffer() : m_pDocumentBuffer;
}

void CSampleView::OnInitialUpdate() {
    CTextEditView::OnInitialUpdate();
    SetBaseFont(m_pDocument ? m_pDocument->GetFont() : DocumentFont());
    // A document's views show its zoom, the line numbers as the user wants them and the
    // caret's line; a view without one (a preview, a benchmark) shows the text alone.
    if (!m_pDocument)
        return;
    SetZoomSteps(m_pDocument->GetZoomSteps());
    SetHighlightCurrentLine(true);
    if (const CSampleApp* pApp = AfxGetApp())
        SetShowLineNumbers(pApp->IsLineNumbersShown());
}

bool CSampleView::RouteCommand(unsigned nId) {
    return CCommandRoute::FromView(this).OnCmdMsg(nId);
}

bool CSampleView::RouteUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) {
    return CCommandRoute::FromView(this).OnUpdateCmdUI(nId, cmdUI);
}

bool CSampleView::HasCommandHandler(unsigned nId) const {
    return MapHasCommand(CTextEditView::GetCommandMap(), nId) ||
           MapHasCommand(CTextView::GetCommandMap(), nId);
}
