// CTextView: the read-only view of a CTextBuffer: metrics and position mapping, colouring,
// drawing, the caret and the selection, scrolling, its reaction to buffer changes, caret
// movement, mouse selection, bookmarks, copying and dragging text out, searching, printing.
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
#include "view/LongLineIndex.h"
#include "view/PrintInfo.h"
#include "view/PrintedRows.h"
#include "view/SearchEngine.h"
#include "view/TextTransfer.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QCursor>
#include <QPixmap>

class CPaneSplitter;
class CTextBuffer;
struct GoToLineInput;
class QMenu;
class QMimeData;
class QPaintDevice;
class QPrinter;
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

// The view's own colours beyond those of the colour blocks: the caret line's background and the
// line numbers.
constexpr int CI_CURRENTLINE = 20;
constexpr int CI_LINENUMBER = 21;

class CTextView : public QAbstractScrollArea, public CTextBufferListener {
    Q_OBJECT

public:
    static constexpr int TAB_WIDTH = 4;              // columns; nothing changes it
    static constexpr int MARGIN_WIDTH = 20;          // pixels; the selection margin is always shown
    static constexpr int AUTO_SCROLL_INTERVAL = 100; // ms between auto-scroll steps of a selection

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
    int GetTabWidth() const { return TAB_WIDTH; }
    // Everything left of the text: the line-number column, when shown, and the selection margin.
    int GetMarginWidth() { return GetLineNumberWidth() + MARGIN_WIDTH; }
    // The line-number column: 0 while it is hidden, which it is unless the owner shows it.
    int GetLineNumberWidth();
    void SetShowLineNumbers(bool bShow);
    bool IsShowingLineNumbers() const { return m_bShowLineNumbers; }
    int GetVisibleLineCount();
    int GetVisibleColumnCount();
    int GetMaxLineColumns();
    void SetBaseFont(const LogFont& lf);
    const LogFont& GetBaseFont() const { return m_logFont; }
    // The screen shows the base font zoomed by nSteps points (FontZoom.h); printing does not.
    void SetZoomSteps(int nSteps);
    int GetZoomSteps() const { return m_nZoomSteps; }

    // Mapping between character indices, screen columns and client points. On long lines the
    // walks start from a known place near the one asked for.
    int CharToColumn(int nLine, int nChar) const;
    int ColumnToChar(int nLine, int nColumn) const;
    // The character that covers nColumn, or the line's length when none does.
    int CharAtColumn(int nLine, int nColumn) const;
    TextPos ClientToTextPos(QPoint pt);
    QPoint TextPosToClient(TextPos pos);
    void SnapToCharCenter(QPoint& pt);

    virtual void ResetViewState();

    // Colouring (TextViewColouring.cpp).
    virtual uint32_t ParseLine(uint32_t dwState, int nLine, ColorBlock* pBlocks, int& nBlocks);
    uint32_t GetLineEndState(int nLine);
    // A parser that can go on from the middle of a line lets a long line be coloured by the
    // window that is drawn. AdvanceParsePoint moves a point of line nLine forwards to nTo and
    // answers false when the parser cannot do that: the base's and any that overrides only
    // ParseLine, whose lines are parsed whole. ParseLineWindow colours characters point.nPos
    // .. nTo - 1 as ParseLine colours them within the whole line, with at most
    // 3 * (nTo - point.nPos) + 3 blocks, the first at point.nPos.
    virtual bool AdvanceParsePoint(int nLine, ParsePoint& point, int nTo);
    virtual void ParseLineWindow(int nLine, const ParsePoint& point, int nTo, ColorBlock* pBlocks,
                                 int& nBlocks);
    virtual QColor GetColorValue(int nColorIndex) const;
    virtual bool IsColorItalic(int nColorIndex) const;
    virtual bool IsColorBold(int nColorIndex) const;

    // Drawing (TextViewDrawing.cpp). Rows are composed in m_pLineBitmap and copied to dc.
    void OnDraw(QPainter& dc, const QRegion& rgnUpdate);
    virtual void PaintMargin(QPainter& dc, const QRect& rc, int nLine);
    virtual void PaintLineNumber(QPainter& dc, const QRect& rc, int nLine);
    // The caret's line is tinted while the owner wants it, the view has the focus and nothing
    // is selected.
    void SetHighlightCurrentLine(bool bHighlight);
    bool IsCurrentLineTinted(int nLine) const;
    virtual void PaintLine(QPainter& dc, const QRect& rc, int nLine);
    // The runs move the pen and its screen column nPenColumn, the column of the run's first
    // character.
    void PaintTextRunSel(QPainter& dc, QPoint& ptPen, int& nPenColumn, const QRect& rcClip,
                         const char* pText, int nOffset, int nCount, TextPos ptRun);
    void PaintTextRun(QPainter& dc, QPoint& ptPen, int& nPenColumn, const QRect& rcClip,
                      const char* pText, int nOffset, int nCount);
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
    void GetOrderedSelection(TextPos& ptLow, TextPos& ptHigh) const;
    bool IsInOrderedSelection(TextPos pos) const;
    bool IsPointInSelection(TextPos pos) const;
    void SetSelectionRange(TextPos ptFrom, TextPos ptTo);
    // Where the caret is painted; empty while it is hidden.
    QRect GetCaretRect() const { return m_rcCaret; }
    // Anchor, both selection ends and the caret to pos, scrolled into view.
    void PutCaretAt(TextPos pos);

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
    // Where the key table's and the context menu's commands go: the view's own maps here; the
    // application's view passes them on to its document, frame and application.
    virtual bool RouteCommand(unsigned nId);
    virtual bool RouteUpdateCmdUI(unsigned nId, CCmdUI& cmdUI);
    // A key the view's key table binds goes to its command and is consumed, even when no
    // handler takes the command; a disabled command does nothing.
    bool TranslateAccelerator(int nKey, Qt::KeyboardModifiers modifiers);
    void OnUpdatePositionIndicator(CCmdUI& cmdUI);

    // The mouse cursor for a point of the client area.
    void OnSetCursor(QPoint pt);

    // Caret movement (TextViewMovement.cpp); bExtend is true for the Shift variant.
    void MoveCharLeft(bool bExtend);
    void MoveCharRight(bool bExtend);
    void MoveByWordLeft(bool bExtend);
    void MoveByWordRight(bool bExtend);
    void MoveLineUp(bool bExtend);
    void MoveLineDown(bool bExtend);
    void MovePageUp(bool bExtend);
    void MovePageDown(bool bExtend);
    void MoveToLineStart(bool bExtend);
    void MoveToLineEnd(bool bExtend);
    void MoveToDocStart(bool bExtend);
    void MoveToDocEnd(bool bExtend);
    void ScrollLineUp();
    void ScrollLineDown();
    void ScrollColumnLeft();
    void ScrollColumnRight();
    void SelectAllText();
    // The ends of the word around pos, on pos's line.
    TextPos WordStartAt(TextPos pos) const;
    TextPos WordEndAt(TextPos pos) const;

    // The mouse (TextViewMouse.cpp), in client points of the viewport.
    void OnLButtonDown(Qt::KeyboardModifiers keys, QPoint pt);
    void OnMouseMove(Qt::KeyboardModifiers keys, QPoint pt);
    void OnLButtonUp(Qt::KeyboardModifiers keys, QPoint pt);
    void OnLButtonDblClk(Qt::KeyboardModifiers keys, QPoint pt);
    void OnRButtonDown(Qt::KeyboardModifiers keys, QPoint pt);
    // One tick of the selection's auto-scroll timer with the mouse at ptMouse.
    void OnTimer(QPoint ptMouse);
    void OnContextMenu(QPoint ptScreen);
    bool IsMouseSelecting() const { return m_bMouseSelecting; }
    bool IsAutoScrollTimerActive() const { return m_timerAutoScroll.isActive(); }

    // Copying and dragging out (TextViewClipboard.cpp). Text leaves with LF line ends.
    void CopySelection();
    void GetTransferText(TextPos ptFrom, TextPos ptTo, std::string& text) const;
    virtual bool IsClipboardTextAvailable() const;
    // Bytes as Windows-1252 characters; false for an empty text.
    virtual bool PutTextOnClipboard(std::string_view text);
    // The clipboard's text as the bytes that enter the buffer (lone LF made CR LF); none when
    // the clipboard holds no text.
    virtual std::optional<ConvertedText> GetTextFromClipboard();
    // The selection as drag data, remembering the dragged range; null when nothing is selected.
    virtual std::unique_ptr<QMimeData> MakeDragData();
    virtual Qt::DropActions GetDragSourceEffects() const;
    virtual void OnDragSourceDone(Qt::DropAction effect);
    bool IsDragSourceActive() const { return m_bDragSourceActive; }

    // Bookmarks (TextViewBookmarks.cpp): flags of the buffer's lines, so shared by its views.
    void ToggleNumberedBookmark(int n);
    void GoToNumberedBookmark(int n);
    void ClearNumberedBookmarks();
    void ToggleAnonBookmark();
    void GoToNextAnonBookmark();
    void GoToPrevAnonBookmark();
    void ClearAnonBookmarks();
    bool HasAnonBookmarks() const { return m_bHasAnonBookmarks; }

    // Searching the view's lines (TextViewSearch.cpp); see FindInRange in SearchEngine.h.
    bool FindInRange(std::string_view pattern, TextPos ptStart, TextPos ptBegin, TextPos ptEnd,
                     uint32_t dwFlags, bool bWrap, TextPos& ptFound) const;
    bool FindInDocument(std::string_view pattern, TextPos ptStart, uint32_t dwFlags, bool bWrap,
                        TextPos& ptFound) const;
    // Selects nLength characters from ptStart with the caret at their end.
    bool SelectFoundText(TextPos ptStart, int nLength);

    // Go to Line (TextViewGoToLine.cpp): the caret to the input's line and column, that line
    // centred when it was off screen.
    void GoToLine(const GoToLineInput& input);

    // Printing (TextViewPrinting.cpp): the document in black in a font derived from the screen
    // font, long lines wrapped, "Page n/m" at the foot of every page; the printer's page range
    // when it has one, else every page. Nothing is printed when the margins leave no room for
    // text, the range holds no page or the printer cannot be opened.
    PrintResult PrintDocument(QPrinter& printer);
    // The steps of one job, in the order PrintDocument takes them. A page table is made once
    // per job; OnPrint makes it if nobody has yet.
    virtual void OnBeginPrinting(QPrinter& printer);
    bool PaginateDocument(const CPrintInfo& info);
    virtual void OnPrepareDC(CPrintInfo& info);
    virtual void OnPrint(QPainter& dc, CPrintInfo& info);
    virtual void OnEndPrinting();
    // The printed height of line nLine: its wrapped rows, or one row when it is empty.
    int MeasurePrintedLine(int nLine);
    virtual void PrintPageFooter(QPainter& dc, int nPage);
    virtual void GetPageFooterText(int nPage, QString& strText);
    // Pages of the running job; 0 outside a job and before pagination.
    int GetPrintPageCount() const { return static_cast<int>(m_pnPageFirstLine.size()); }

signals:
    // The caret moved. Every move, by a command, the mouse or an edit of the buffer, ends in
    // RefreshCaret, which sends this before control goes back to the event loop.
    void caretPositionChanged();

protected:
    // Qt events, each turned into the operation above that speaks in text positions.
    bool event(QEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
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
    // Scrolls to a first line or column with the bar, and the splitter's panes that share it
    // follow.
    void ScrollPanesToLine(int nLine);
    void ScrollPanesToColumn(int nColumn);
    void DestroyStyleFonts();
    // The cell size changed: every measure made from it is made again.
    void OnFontChanged();
    // The text moved sideways: the columns that fit, the bar, the caret and the picture follow.
    void OnMarginWidthChanged();
    // Repaints the rows whose tint IsCurrentLineTinted no longer gives as painted.
    void UpdateCurrentLineTint();
    bool UpdateOneLineCaches(int nLine);
    void UpdateLineCountCaches(int nLine);
    void UpdateLongLines(const CChangeExtent* pExtent, uint32_t dwHints, int nLine);
    // The parser's point at nPos of line nLine, reached from a point kept before it; false when
    // the parser cannot go on from the middle of a line.
    bool FindParsePoint(int nLine, int nPos, ParsePoint& point);
    void PaintCaret(QPainter& dc, const QRegion& rgnUpdate);

    // Movement and mouse helpers.
    void FinishMove(bool bExtend, bool bSetStickyColumn = true);
    bool CollapseSelection(bool bExtend, bool bToHigh);
    TextPos PositionAfterLine(int nLine) const;
    TextPos SnappedTextPos(QPoint pt);
    void SelectWordsBetween(TextPos ptAnchor, TextPos pt);
    void SelectLinesBetween(TextPos ptAnchor, TextPos pt, bool bCaretAtEnd);
    void StartMouseSelection(bool bWords, bool bLines);
    void EndMouseSelection();
    // The drag of the selection that a move after a press inside it starts; ExecDrag is its
    // one blocking step, which tests replace.
    void DragSelection();
    virtual Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> pData, Qt::DropActions effects);
    // Shows the context menu at ptScreen and answers the chosen command, 0 for none. Tests
    // replace it.
    virtual unsigned TrackContextMenu(QMenu& menu, QPoint ptScreen);

    // Command handlers.
    void OnMoveCommand(unsigned nId);
    void OnScrollCommand(unsigned nId);
    void OnEditSelectAll(unsigned nId);
    void OnEditCopy(unsigned nId);
    void OnUpdateEditCopy(CCmdUI& cmdUI);
    void OnToggleBookmark(unsigned nId);
    void OnGoToBookmark(unsigned nId);
    void OnClearBookmarks(unsigned nId);
    void OnToggleAnonBookmark(unsigned nId);
    void OnNextAnonBookmark(unsigned nId);
    void OnPrevAnonBookmark(unsigned nId);
    void OnClearAnonBookmarks(unsigned nId);
    void OnUpdateAnonBookmarks(CCmdUI& cmdUI);
    void OnEditFind(unsigned nId);
    void OnEditRepeat(unsigned nId);
    void OnFindPrevious(unsigned nId);
    void OnUpdateEditRepeat(CCmdUI& cmdUI);
    void OnEditGoToLine(unsigned nId);
    void OnFilePageSetup(unsigned nId);
    void OnFilePrint(unsigned nId);
    void OnFilePrintDirect(unsigned nId);
    void OnFilePrintPreview(unsigned nId);
    // Prints on printer and tells the user why when nothing could be printed.
    void RunPrintJob(QPrinter& printer);

    // Print helpers. BeginPrintJob starts a job on printer (its font, its drawing rectangle)
    // and fails, ending the job again, when the margins leave no room for text. LayOutPrintArea
    // places the text area and the footer band on the page; PaginateLines makes the page table
    // for the area it placed. WalkPrintedLine walks the rows, as wide as the text area, that a
    // non-empty line wraps into, from `from` on.
    PrintResult BeginPrintJob(QPrinter& printer, CPrintInfo& info);
    bool LayOutPrintArea(const CPrintInfo& info);
    void PaginateLines();
    void WalkPrintedLine(int nLine, PrintedRowStart from, const PrintedRowVisitor& onRow);

    // Search helpers: where an upward search starts (the selection's start, or the caret), and
    // keeping the selection drawn while a search dialog has the focus.
    TextPos GetUpwardSearchStart();
    void ShowSelectionInactive(bool bShow);

    static std::span<const CommandMapEntry<CTextView>> GetCommandMap();

    CTextBuffer* m_pBuffer = nullptr;
    int m_nFirstVisibleLine = 0;
    int m_nFirstVisibleColumn = 0;
    LogFont m_logFont;
    int m_nZoomSteps = 0;
    std::array<std::unique_ptr<CGlyphFont>, 4> m_apStyleFonts; // plain, bold, italic, both
    int m_cyLine = -1;
    int m_cxChar = -1;
    int m_nVisibleLines = -1;
    int m_nVisibleColumns = -1;
    int m_nMaxLineColumns = -1;
    CLineWidthCache m_LineColumns;
    CLineStateCache m_LineStates;
    mutable CLongLineIndex m_LongLines{TAB_WIDTH}; // a cache, filled by the const mapping too
    TextPos m_ptCaret;
    TextPos m_ptReportedCaret; // where caretPositionChanged last said the caret was
    int m_nStickyColumn = -1;
    TextPos m_ptSelAnchor;
    TextPos m_ptSelFrom;
    TextPos m_ptSelTo;
    bool m_bHasFocus = false;
    bool m_bCaretSuppressed = false;
    bool m_bShowSelectionInactive = false;
    bool m_bHorzScrollFrozen = false;
    std::unique_ptr<QPixmap> m_pLineBitmap;
    std::unique_ptr<QPixmap> m_pMarginImages;
    std::unique_ptr<QCursor> m_pMarginCursor; // loaded on the first move over the margin
    std::span<const KeyBinding> m_accelTable;
    bool m_bShowLineNumbers = false;
    int m_nLineNumberDigits = 0; // of the line count the column was last laid out for
    // Line numbers as painted, one cell per line, so that a repaint copies them instead of
    // drawing their glyphs again; valid for the cell size and colours they were painted with.
    std::unordered_map<int, QPixmap> m_mapNumberCells;
    QSize m_sizeNumberCell;
    std::pair<QRgb, QRgb> m_rgbNumberColours; // background, digits
    bool m_bHighlightCurrentLine = false;
    int m_nTintedLine = -1; // the line painted tinted last, -1 for none

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

    // Mouse selection and dragging out.
    bool m_bMouseSelecting = false; // left button down, auto-scroll timer running
    bool m_bSelectWords = false;
    bool m_bSelectLines = false;
    QBasicTimer m_timerAutoScroll;
    bool m_bDragPending = false; // pressed inside the selection: a move starts a drag
    bool m_bDragSourceActive = false;
    QPoint m_ptLastMouse;   // where the auto-scroll timer takes the mouse to be
    QPoint m_ptDragPressed; // where the press that may start a drag happened
    TextPos m_ptDraggedFrom;
    TextPos m_ptDraggedTo;

    bool m_bHasAnonBookmarks = false; // as this view last saw the buffer

    // The last search of this view, made by its Find command; Find Next repeats it.
    bool m_bHaveLastSearch = false;
    uint32_t m_dwLastFindFlags = 0;
    std::string m_strLastSearchText; // bytes, NUL bytes included

    // The print job, valid between OnBeginPrinting and OnEndPrinting.
    std::unique_ptr<QFont> m_pPrinterFont;        // made by OnBeginPrinting
    const QPaintDevice* m_pPrintDevice = nullptr; // the printer that lines are measured for
    int m_cyPrintLine = 0;                        // an empty line, and the footer band's unit
    QRect m_rcPage;                               // the page's drawing rectangle
    QRect m_rcPageText;                           // less the margins and the footer band
    std::vector<int> m_pnPageFirstLine;           // per page its first line; empty: no table
    std::vector<int> m_pnPageFirstRow;            // the wrapped row of that line it starts with
    std::vector<PrintedRowStart> m_arrPageFirstRowStart; // and where that row starts
};
