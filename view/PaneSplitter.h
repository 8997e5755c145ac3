// CPaneSplitter: the grid of up to 2 x 2 panes of a document window, built from QSplitters.
#pragma once

#include <array>
#include <functional>

#include <QWidget>

class QSplitter;

// Panes of one row share the vertical position and panes of one column the horizontal one:
// only the last column shows a vertical scroll bar and only the last row a horizontal bar,
// and the columns keep one width across the rows. Split fills the grid; dragging a divider
// until a pane is thinner than MIN_PANE_SIZE removes that pane's row or column.
class CPaneSplitter : public QWidget {
    Q_OBJECT

public:
    static constexpr int MAX_ROWS = 2;
    static constexpr int MAX_COLS = 2;
    static constexpr int PANE_FIRST_ID = 59648; // the id of pane (0, 0)
    static constexpr int MIN_PANE_SIZE = 30;    // pixels, across and down

    // Makes the widget of a new pane; the splitter places it and owns it from then on.
    using PaneCreator = std::function<QWidget*()>;

    explicit CPaneSplitter(QWidget* pParent = nullptr);

    // The pane id of (nRow, nCol): PANE_FIRST_ID + 16 * row + column.
    static int IdFromRowCol(int nRow, int nCol) { return PANE_FIRST_ID + 16 * nRow + nCol; }

    void SetPaneCreator(PaneCreator fnCreate) { m_fnCreatePane = std::move(fnCreate); }
    // Makes a pane with the creator, puts it at (nRow, nCol) and, for a text view, runs its
    // initial update there (so that it takes the position of its row and column). Null
    // without a creator.
    QWidget* CreatePane(int nRow, int nCol);

    // Puts pPane at (nRow, nCol), replacing and deleting a pane there; the splitter owns it.
    // The grid grows to hold the position.
    void SetPane(int nRow, int nCol, QWidget* pPane);
    // The pane at (nRow, nCol), null outside the grid or where there is none.
    QWidget* GetPane(int nRow, int nCol) const;
    // The position and id of pPane; false (and 0) when it is not a pane of this splitter.
    bool GetPanePosition(const QWidget* pPane, int& nRow, int& nCol) const;
    int GetPaneId(const QWidget* pPane) const;

    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }

    // Splitting: the new row or column takes half of the room, its panes made by the creator.
    bool CanSplit() const { return m_nRows < MAX_ROWS || m_nCols < MAX_COLS; }
    // Splits into MAX_ROWS x MAX_COLS panes; false when there was nothing to split.
    bool Split();
    bool SplitRow();
    bool SplitColumn();
    // Removes a row or column with its panes; the last pane always stays.
    void DeleteRow(int nRow);
    void DeleteColumn(int nCol);

    // The pane after (or before) pPane in reading order, wrapping around; null when pPane is
    // not a pane here.
    QWidget* GetNextPane(const QWidget* pPane, bool bPrevious) const;

signals:
    // Panes were added or removed.
    void panesChanged();

private:
    QSplitter* AddRowSplitter();
    void OnDividerMoved();
    void RemoveCollapsedPanes();
    void PanesChanged();
    void UpdateScrollBarPolicies();
    void SyncColumnWidths(const QSplitter* pSource);

    QSplitter* m_pRowSplitter;                   // vertical: one child per row
    std::array<QSplitter*, MAX_ROWS> m_apRows{}; // horizontal: the panes of a row
    std::array<std::array<QWidget*, MAX_COLS>, MAX_ROWS> m_apPanes{};
    int m_nRows = 0;
    int m_nCols = 0;
    bool m_bSyncingWidths = false;
    PaneCreator m_fnCreatePane;
};
