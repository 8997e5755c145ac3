// CPaneSplitter: the grid of up to 2 x 2 panes of a document window, built from QSplitters.
#pragma once

#include <array>

#include <QWidget>

class QSplitter;

// Panes of one row share the vertical position and panes of one column the horizontal one:
// only the last column shows a vertical scroll bar and only the last row a horizontal bar,
// and the columns keep one width across the rows.
class CPaneSplitter : public QWidget {
    Q_OBJECT

public:
    static constexpr int MAX_ROWS = 2;
    static constexpr int MAX_COLS = 2;
    static constexpr int PANE_FIRST_ID = 59648; // the id of pane (0, 0)

    explicit CPaneSplitter(QWidget* pParent = nullptr);

    // The pane id of (nRow, nCol): PANE_FIRST_ID + 16 * row + column.
    static int IdFromRowCol(int nRow, int nCol) { return PANE_FIRST_ID + 16 * nRow + nCol; }

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

private:
    void UpdateScrollBarPolicies();
    void SyncColumnWidths(int nSourceRow);

    QSplitter* m_pRowSplitter;                   // vertical: one child per row
    std::array<QSplitter*, MAX_ROWS> m_apRows{}; // horizontal: the panes of a row
    std::array<std::array<QWidget*, MAX_COLS>, MAX_ROWS> m_apPanes{};
    int m_nRows = 0;
    int m_nCols = 0;
    bool m_bSyncingWidths = false;
};
