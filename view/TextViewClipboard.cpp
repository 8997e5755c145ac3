// CTextView: copying the selection, the clipboard primitives the edit view pastes with, and
// the data and hooks of a drag started from the selection.
#include "buffer/TextBuffer.h"
#include "view/TextTransfer.h"
#include "view/TextView.h"

#include <algorithm>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void CTextView::GetTransferText(TextPos ptFrom, TextPos ptTo, std::string& text) const {
    text.clear();
    if (m_pBuffer)
        m_pBuffer->CopyRange(ptFrom.y, ptFrom.x, ptTo.y, ptTo.x, text, "\n");
}

void CTextView::CopySelection() {
    if (m_ptSelFrom == m_ptSelTo)
        return;
    const auto [ptLow, ptHigh] = std::minmax(m_ptSelFrom, m_ptSelTo);
    std::string text;
    GetTransferText(ptLow, ptHigh, text);
    PutTextOnClipboard(text);
}

void CTextView::OnEditCopy(unsigned) {
    CopySelection();
}

void CTextView::OnUpdateEditCopy(CCmdUI& cmdUI) {
    cmdUI.Enable(m_ptSelFrom != m_ptSelTo);
}

bool CTextView::IsClipboardTextAvailable() const {
    const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
    return pData && pData->hasText();
}

bool CTextView::PutTextOnClipboard(std::string_view text) {
    if (text.empty())
        return false;
    QClipboard* pClipboard = QGuiApplication::clipboard();
    pClipboard->setText(BytesToText(text));
    const QMimeData* pData = pClipboard->mimeData();
    return pData && pData->hasText();
}

std::optional<ConvertedText> CTextView::GetTextFromClipboard() {
    const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
    if (!pData || !pData->hasText())
        return std::nullopt;
    return IncomingTextToBytes(pData->text());
}

std::unique_ptr<QMimeData> CTextView::MakeDragData() {
    if (m_ptSelFrom == m_ptSelTo)
        return nullptr;
    const auto [ptLow, ptHigh] = std::minmax(m_ptSelFrom, m_ptSelTo);
    std::string text;
    GetTransferText(ptLow, ptHigh, text);
    auto pData = std::make_unique<QMimeData>();
    pData->setText(BytesToText(text));
    m_ptDraggedFrom = ptLow;
    m_ptDraggedTo = ptHigh;
    return pData;
}

Qt::DropActions CTextView::GetDragSourceEffects() const {
    return Qt::CopyAction;
}

void CTextView::OnDragSourceDone(Qt::DropAction) {
    // The text view only lends its text; the edit view removes it after a move.
}
