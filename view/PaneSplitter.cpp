// The pane grid: nested QSplitters whose columns are kept aligned across the rows, split on
// command and shrunk by dragging a divider to the edge.
#include "view/PaneSplitter.h"

#include "view/TextView.h"

#include <algorithm>

#include <QAbstractScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

// Weights that give each of two panes half of the room, whatever the splitter's size is yet.
QList<int> Halves() {
    return {1 << 16, 1 << 16};
}

size_t Index(int n) {
    return static_cast<size_t>(n);
}

// A divider is dragged as an outline and moved on release, so a pane dragged to the edge is
// removed once, when the drag ends, and not while it passes by.
void SetUpSplitter(QSplitter* pSplitter) {
    pSplitter->setChildrenCollapsible(true);
    pSplitter->setOpaqueResize(false);
}

} // namespace

CPaneSplitter::CPaneSplitter(QWidget* pParent)
    : QWidget(pParent), m_pRowSplitter(new QSplitter(Qt::Vertical, this)) {
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(m_pRowSplitter);
    SetUpSplitter(m_pRowSplitter);
    connect(m_pRowSplitter, &QSplitter::splitterMoved, this, &CPaneSplitter::OnDividerMoved);
}

QSplitter* CPaneSplitter::AddRowSplitter() {
    auto* pRow = new QSplitter(Qt::Horizontal);
    SetUpSplitter(pRow);
    m_pRowSplitter->addWidget(pRow);
    connect(pRow, &QSplitter::splitterMoved, this, [this, pRow] {
        SyncColumnWidths(pRow);
        OnDividerMoved();
    });
    return pRow;
}

QWidget* CPaneSplitter::CreatePane(int nRow, int nCol) {
    if (!m_fnCreatePane || nRow < 0 || nRow >= MAX_ROWS || nCol < 0 || nCol >= MAX_COLS)
        return nullptr;
    QWidget* pPane = m_fnCreatePane();
    if (!pPane)
        return nullptr;
    SetPane(nRow, nCol, pPane);
    if (auto* pView = qobject_cast<CTextView*>(pPane))
        pView->OnInitialUpdate();
    return pPane;
}

void CPaneSplitter::SetPane(int nRow, int nCol, QWidget* pPane) {
    if (nRow < 0 || nRow >= MAX_ROWS || nCol < 0 || nCol >= MAX_COLS || !pPane)
        return;
    for (int r = m_nRows; r <= nRow; ++r)
        m_apRows[Index(r)] = AddRowSplitter();
    m_nRows = std::max(m_nRows, nRow + 1);
    m_nCols = std::max(m_nCols, nCol + 1);

    pPane->setMinimumSize(MIN_PANE_SIZE, MIN_PANE_SIZE);
    QSplitter* pRow = m_apRows[Index(nRow)];
    QWidget*& pSlot = m_apPanes[Index(nRow)][Index(nCol)];
    if (pSlot) {
        delete pRow->replaceWidget(pRow->indexOf(pSlot), pPane);
    } else {
        // Keep the row's widgets in column order.
        int nIndex = 0;
        for (int c = 0; c < nCol; ++c)
            nIndex += m_apPanes[Index(nRow)][Index(c)] ? 1 : 0;
        pRow->insertWidget(nIndex, pPane);
    }
    pSlot = pPane;
    UpdateScrollBarPolicies();
}

QWidget* CPaneSplitter::GetPane(int nRow, int nCol) const {
    if (nRow < 0 || nRow >= m_nRows || nCol < 0 || nCol >= m_nCols)
        return nullptr;
    return m_apPanes[Index(nRow)][Index(nCol)];
}

bool CPaneSplitter::GetPanePosition(const QWidget* pPane, int& nRow, int& nCol) const {
    for (int r = 0; r < m_nRows; ++r) {
        for (int c = 0; c < m_nCols; ++c) {
            if (pPane && m_apPanes[Index(r)][Index(c)] == pPane) {
                nRow = r;
                nCol = c;
                return true;
            }
        }
    }
    return false;
}

int CPaneSplitter::GetPaneId(const QWidget* pPane) const {
    int nRow = 0, nCol = 0;
    return GetPanePosition(pPane, nRow, nCol) ? IdFromRowCol(nRow, nCol) : 0;
}

bool CPaneSplitter::Split() {
    // The column first: the new row's panes then find a pane above each of them.
    const bool bColumn = m_nCols < MAX_COLS && SplitColumn();
    const bool bRow = m_nRows < MAX_ROWS && SplitRow();
    return bColumn || bRow;
}

bool CPaneSplitter::SplitRow() {
    if (m_nRows == 0 || m_nRows >= MAX_ROWS || !m_fnCreatePane)
        return false;
    const int nNewRow = m_nRows;
    for (int c = 0; c < m_nCols; ++c)
        CreatePane(nNewRow, c);
    m_pRowSplitter->setSizes(Halves());
    SyncColumnWidths(m_apRows[0]);
    PanesChanged();
    return true;
}

bool CPaneSplitter::SplitColumn() {
    if (m_nCols == 0 || m_nCols >= MAX_COLS || !m_fnCreatePane)
        return false;
    const int nNewCol = m_nCols;
    for (int r = 0; r < m_nRows; ++r)
        CreatePane(r, nNewCol);
    for (int r = 0; r < m_nRows; ++r)
        m_apRows[Index(r)]->setSizes(Halves());
    PanesChanged();
    return true;
}

void CPaneSplitter::DeleteRow(int nRow) {
    if (m_nRows < 2 || nRow < 0 || nRow >= m_nRows)
        return;
    QSplitter* pRow = m_apRows[Index(nRow)];
    for (int r = nRow; r + 1 < m_nRows; ++r) {
        m_apRows[Index(r)] = m_apRows[Index(r + 1)];
        m_apPanes[Index(r)] = m_apPanes[Index(r + 1)];
    }
    --m_nRows;
    m_apRows[Index(m_nRows)] = nullptr;
    m_apPanes[Index(m_nRows)] = {};
    delete pRow; // with its panes
    PanesChanged();
}

void CPaneSplitter::DeleteColumn(int nCol) {
    if (m_nCols < 2 || nCol < 0 || nCol >= m_nCols)
        return;
    for (int r = 0; r < m_nRows; ++r) {
        auto& panes = m_apPanes[Index(r)];
        QWidget* pPane = panes[Index(nCol)];
        for (int c = nCol; c + 1 < m_nCols; ++c)
            panes[Index(c)] = panes[Index(c + 1)];
        panes[Index(m_nCols - 1)] = nullptr;
        delete pPane;
    }
    --m_nCols;
    PanesChanged();
}

QWidget* CPaneSplitter::GetNextPane(const QWidget* pPane, bool bPrevious) const {
    int nRow = 0, nCol = 0;
    if (!GetPanePosition(pPane, nRow, nCol))
        return nullptr;
    const int nCount = m_nRows * m_nCols;
    const int nStep = bPrevious ? nCount - 1 : 1;
    const int nNext = (nRow * m_nCols + nCol + nStep) % nCount;
    return GetPane(nNext / m_nCols, nNext % m_nCols);
}

void CPaneSplitter::OnDividerMoved() {
    // The divider's own mouse event is still running: its splitter goes afterwards.
    QMetaObject::invokeMethod(this, &CPaneSplitter::RemoveCollapsedPanes, Qt::QueuedConnection);
}

void CPaneSplitter::RemoveCollapsedPanes() {
    if (m_nRows > 1) {
        const QList<int> sizes = m_pRowSplitter->sizes();
        for (int r = m_nRows - 1; r >= 0 && m_nRows > 1; --r) {
            if (r < sizes.size() && sizes.at(r) == 0)
                DeleteRow(r);
        }
    }
    if (m_nCols > 1) {
        const QList<int> sizes = m_apRows[0]->sizes();
        for (int c = m_nCols - 1; c >= 0 && m_nCols > 1; --c) {
            if (c < sizes.size() && sizes.at(c) == 0)
                DeleteColumn(c);
        }
    }
}

void CPaneSplitter::PanesChanged() {
    UpdateScrollBarPolicies();
    // The bars the panes share may now belong to other panes: each pane sets its own again.
    for (int r = 0; r < m_nRows; ++r) {
        for (int c = 0; c < m_nCols; ++c) {
            if (auto* pView = qobject_cast<CTextView*>(m_apPanes[Index(r)][Index(c)])) {
                pView->UpdateVertScrollBar(false);
                pView->UpdateHorzScrollBar(false);
            }
        }
    }
    emit panesChanged();
}

void CPaneSplitter::UpdateScrollBarPolicies() {
    for (int r = 0; r < m_nRows; ++r) {
        for (int c = 0; c < m_nCols; ++c) {
            auto* pArea = qobject_cast<QAbstractScrollArea*>(m_apPanes[Index(r)][Index(c)]);
            if (!pArea)
                continue;
            pArea->setVerticalScrollBarPolicy(c == m_nCols - 1 ? Qt::ScrollBarAlwaysOn
                                                               : Qt::ScrollBarAlwaysOff);
            pArea->setHorizontalScrollBarPolicy(r == m_nRows - 1 ? Qt::ScrollBarAlwaysOn
                                                                 : Qt::ScrollBarAlwaysOff);
        }
    }
}

void CPaneSplitter::SyncColumnWidths(const QSplitter* pSource) {
    if (m_bSyncingWidths)
        return;
    m_bSyncingWidths = true;
    const QList<int> sizes = pSource->sizes();
    for (int r = 0; r < m_nRows; ++r) {
        QSplitter* pRow = m_apRows[Index(r)];
        if (pRow != pSource && pRow->count() == sizes.size())
            pRow->setSizes(sizes);
    }
    m_bSyncingWidths = false;
}
