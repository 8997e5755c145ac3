// CTextView: the read-only view of a CTextBuffer: metrics and position mapping, colouring,
// drawing, the caret and the selection, scrolling, and its reaction to buffer changes.
#pragma once

#include "buffer/TextBufferListener.h"
#include "buffer/TextPos.h"
#include "language/ColorBlock.h"
#include "resources/KeyTables.h"
#include "view/CmdUI.h"
#include "view/CommandMap.h"
#include "view/GlyphFont.h"
#include "view/LineStateCache.h"
#include "view/LineWidthCache.h"
#include "view/LogFont.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QPixmap>

class CPaneSplitter;
class CTextBuffer;
class QScrollBar;

// Scroll-bar requests.
// clang-format off
constexpr int SB_LINEUP        = 0;
constexpr int SB_LINEDOWN      = 1;
constexpr int SB_PAGEUP        = 2;
constexpr int SB_PAGEDOWN      = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK    = 5;
constexpr int SB_TOP           = 6;
constexpr int SB_BOTTOM        = 7;
constexpr int SB_ENDSCROLL     = 8;
// clang-format on

class CTextView : public QAbstractScrollArea, public CTextBufferListener {
    Q_OBJECT

public:
    static constexpr int TAB_WIDTH = 4;     // columns; nothing changes it
    static constexpr int MARGIN_WIDTH = 20; // pixels; the selection margin is always shown

    explicit CTextView(QWidget* pParent = nullptr);
    ~CTextView() override;

    // Line access. Without a buffer the view shows one empty line.
    CTextBuffer* GetBuffer() const { return m_pBuffer; }
    virtual int GetLineCount() const;
    virtual int GetLineLength(int nLine) const;
    virtual int GetLineDisplayWidth(int nLine);
    // The line's characters, not terminated, valid until the next change; null without a buffer.
    virtual const char* GetLineText(int nLine) const;
    virtual uint32_t GetLineFlags(int nLine) const;
    // The text from ptFrom up to ptTo, lines joined by CR LF.
    virtual void GetTextRange(TextPos ptFrom, TextPos ptTo, std::string& text) const;

    // Fonts and metrics (TextViewMetrics.cpp).
    CGlyphFont& GetStyleFont(bool bItalic, bool bBold);
    void MeasureFont();
    int GetLineHeight();
    int GetCharWidth();
    int GetTabWidth() const { return m_nTabWidth; }
    int GetMarginWidth() const { return MARGIN_WIDTH; }
    int GetVisibleLineCount();
    int GetVisibleColumnCount();
    int GetMaxLineColumns();
    void SetBaseFont(const LogFont& lf);
    const LogFont& GetBaseFont() const { return m_logFont; }

    // Mapping between character indices, screen columns and client points.
    int CharToColumn(int nLine, int nChar) const;
    int ColumnToChar(int nLine, int nColumn) const;
    TextPos ClientToTextPos(QPoint pt);
    QPoint TextPosToClient(TextPos pos);
    void SnapToCharCenter(QPoint& pt);
    void ExpandTabs(const char* pChars, int nOffset, int nCount, std::string& out) const;

    virtual void ResetViewState();

    // Colouring (TextViewColouring.cpp).
    virtual uint32_t ParseLine(uint32_t dwState, int nLine, ColorBlock* pBlocks, int& nBlocks);
    uint32_t GetLineEndState(int nLine);
    virtual QColor GetColorValue(int nColorIndex) const;
    virtual bool IsColorItalic(int nColorIndex) const;
    virtual bool IsColorBold(int nColorIndex) const;

    // Drawing (TextViewDrawing.cpp). Rows are composed in m_pLineBitmap and copied to dc.
    void OnDraw(QPainter& dc, const QRegion& rgnUpdate);
    virtual void PaintMargin(QPainter& dc, const QRect& rc, int nLine);
    virtual void PaintLine(QPainter& dc, const QRect& rc, int nLine);
    void PaintTextRunSel(QPainter& dc, QPoint& ptPen, const QRect& rcClip, const char* pText,
                         int nOffset, int nCount, TextPos ptRun);
    void PaintTextRun(QPainter& dc, QPoint& ptPen, const QRect& rcClip, const char* pText,
                      int nOffset, int nCount);
    // Rows nFirst to nLast, in either order; nLast -1 means to the bottom of the window.
    void InvalidateLineRange(int nFirst, int nLast);

    // The buffer (TextViewUpdates.cpp).
    virtual CTextBuffer* LocateBuffer();
    void AttachBuffer(CTextBuffer* pBuf);
    void DetachBuffer();
    virtual void OnInitialUpdate();
    void OnBufferUpdate(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                        uint32_t dwHints, int nLine) override;
    void OnUndoGroupClosed(int nAction, std::string_view text) override;

    // Caret and selection (TextViewCaret.cpp).
    void RefreshCaret();
    void PlaceCaret(TextPos pos);
    TextPos GetCaretTextPos() const { return m_ptCaret; }
    void SetSelAnchor(TextPos pos) { m_ptSelAnchor = pos; }
    void EnableCaret();
    void SuppressCaret();
    void OrderSelection();
    void GetOrderedSelection(TextPos& ptLow, TextPos& ptHigh);
    bool IsInOrderedSelection(TextPos pos) const;
    bool IsPointInSelection(TextPos pos);
    void SetSelectionRange(TextPos ptFrom, TextPos ptTo);
    // Where the caret is painted; empty while it is hidden.
    QRect GetCaretRect() const { return m_rcCaret; }

    // Scrolling (TextViewScrolling.cpp).
    int GetFirstVisibleLine() const { return m_nFirstVisibleLine; }
    int GetFirstVisibleColumn() const { return m_nFirstVisibleColumn; }
    void ScrollToTopLine(int nLine, bool bUpdateBar);
    void ScrollToColumn(int nColumn, bool bUpdateBar);
    void UpdateVertScrollBar(bool bPositionOnly);
    void UpdateHorzScrollBar(bool bPositionOnly);
    void ScrollCaretIntoView(TextPos pos);
    void OnVScroll(int nRequest, int nTrackPos);
    void OnHScroll(int nRequest, int nTrackPos);
    // The bar that shows this view's position: its own, or the one its splitter row or
    // column shares.
    QScrollBar* GetScrollBarCtrl(Qt::Orientation orientation) const;
    CPaneSplitter* GetParentSplitter() const;
    CTextView* GetSplitterSibling(int nRow, int nCol) const;
    virtual void SyncSiblingPanes(bool bVertical);
    virtual void OnSiblingScrolled(CTextView* pSource, bool bVertical);

    // Commands (TextViewCommands.cpp): true when the view handled the command.
    virtual bool OnCmdMsg(unsigned nId);
    virtual bool OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI);
    // A key the view's key table binds goes to its command and is consumed, even when no
    // handler takes the command; a disabled command does nothing.
    bool TranslateAccelerator(int nKey, Qt::KeyboardModifiers modifiers);
    void OnUpdatePositionIndicator(CCmdUI& cmdUI);

    // The mouse cursor for a point of the client area.
    void OnSetCursor(QPoint pt);

protected:
    // Qt events, each turned into the operation above that speaks in text positions.
    bool event(QEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool bNext) override;

    void OnSize();
    void OnSetFocus();
    void OnKillFocus();
    void InvalidateRect(const QRect& rc);
    void InvalidateAll();
    bool IsSelectionVisible() const { return m_bHasFocus || m_bShowSelectionInactive; }
    bool GetPanePosition(int& nRow, int& nCol) const;
    void OnScrollBarAction(Qt::Orientation orientation, int nAction);
    void DestroyStyleFonts();
    bool UpdateOneLineCaches(int nLine);
    void UpdateLineCountCaches(int nLine);
    void PaintCaret(QPainter& dc, const QRegion& rgnUpdate);

    static std::span<const CommandMapEntry<CTextView>> GetCommandMap();

    CTextBuffer* m_pBuffer = nullptr;
    int m_nFirstVisibleLine = 0;
    int m_nFirstVisibleColumn = 0;
    LogFont m_logFont;
    std::array<std::unique_ptr<CGlyphFont>, 4> m_apStyleFonts; // plain, bold, italic, both
    int m_cyLine = -1;
    int m_cxChar = -1;
    int m_nTabWidth = TAB_WIDTH;
    int m_nVisibleLines = -1;
    int m_nVisibleColumns = -1;
    int m_nMaxLineColumns = -1;
    CLineWidthCache m_LineColumns;
    CLineStateCache m_LineStates;
    TextPos m_ptCaret;
    int m_nStickyColumn = -1;
    TextPos m_ptSelAnchor;
    TextPos m_ptSelFrom;
    TextPos m_ptSelTo;
    TextPos m_ptSelLow;
    TextPos m_ptSelHigh;
    bool m_bHasFocus = false;
    bool m_bCaretSuppressed = false;
    bool m_bShowSelectionInactive = false;
    bool m_bHorzScrollFrozen = false;
    std::unique_ptr<QPixmap> m_pLineBitmap;
    std::unique_ptr<QPixmap> m_pMarginImages;
    std::span<const KeyBinding> m_accelTable;

    // Drawing scratch: the font selected for the row's current piece, the row's blocks and
    // the last expanded run.
    CGlyphFont* m_pRowFont = nullptr;
    std::vector<ColorBlock> m_arrBlocks;
    std::string m_strExpanded;

    // The caret, which the view paints itself, and what is waiting to be repainted.
    QRect m_rcCaret;
    bool m_bCaretBlinkOn = true;
    QBasicTimer m_timerCaretBlink;
    QRect m_rcPendingPaint;
    int m_nWheelDelta = 0;
};
