// The pane grid: nested QSplitters whose columns are kept aligned across the rows.
#include "view/PaneSplitter.h"

#include <QAbstractScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

CPaneSplitter::CPaneSplitter(QWidget* pParent)
    : QWidget(pParent), m_pRowSplitter(new QSplitter(Qt::Vertical, this)) {
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(m_pRowSplitter);
    m_pRowSplitter->setChildrenCollapsible(false);
}

void CPaneSplitter::SetPane(int nRow, int nCol, QWidget* pPane) {
    if (nRow < 0 || nRow >= MAX_ROWS || nCol < 0 || nCol >= MAX_COLS || !pPane)
        return;
    for (int r = m_nRows; r <= nRow; ++r) {
        m_apRows[static_cast<size_t>(r)] = new QSplitter(Qt::Horizontal);
        m_apRows[static_cast<size_t>(r)]->setChildrenCollapsible(false);
        m_pRowSplitter->addWidget(m_apRows[static_cast<size_t>(r)]);
        connect(m_apRows[static_cast<size_t>(r)], &QSplitter::splitterMoved, this,
                [this, r] { SyncColumnWidths(r); });
    }
    m_nRows = std::max(m_nRows, nRow + 1);
    m_nCols = std::max(m_nCols, nCol + 1);

    QSplitter* pRow = m_apRows[static_cast<size_t>(nRow)];
    QWidget*& pSlot = m_apPanes[static_cast<size_t>(nRow)][static_cast<size_t>(nCol)];
    if (pSlot) {
        delete pRow->replaceWidget(pRow->indexOf(pSlot), pPane);
    } else {
        // Keep the row's widgets in column order.
        int nIndex = 0;
        for (int c = 0; c < nCol; ++c)
            nIndex += m_apPanes[static_cast<size_t>(nRow)][static_cast<size_t>(c)] ? 1 : 0;
        pRow->insertWidget(nIndex, pPane);
    }
    pSlot = pPane;
    UpdateScrollBarPolicies();
}

QWidget* CPaneSplitter::GetPane(int nRow, int nCol) const {
    if (nRow < 0 || nRow >= m_nRows || nCol < 0 || nCol >= m_nCols)
        return nullptr;
    return m_apPanes[static_cast<size_t>(nRow)][static_cast<size_t>(nCol)];
}

bool CPaneSplitter::GetPanePosition(const QWidget* pPane, int& nRow, int& nCol) const {
    for (int r = 0; r < m_nRows; ++r) {
        for (int c = 0; c < m_nCols; ++c) {
            if (pPane && m_apPanes[static_cast<size_t>(r)][static_cast<size_t>(c)] == pPane) {
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

void CPaneSplitter::UpdateScrollBarPolicies() {
    for (int r = 0; r < m_nRows; ++r) {
        for (int c = 0; c < m_nCols; ++c) {
            auto* pArea = qobject_cast<QAbstractScrollArea*>(
                m_apPanes[static_cast<size_t>(r)][static_cast<size_t>(c)]);
            if (!pArea)
                continue;
            pArea->setVerticalScrollBarPolicy(c == m_nCols - 1 ? Qt::ScrollBarAlwaysOn
                                                               : Qt::ScrollBarAlwaysOff);
            pArea->setHorizontalScrollBarPolicy(r == m_nRows - 1 ? Qt::ScrollBarAlwaysOn
                                                                 : Qt::ScrollBarAlwaysOff);
        }
    }
}

void CPaneSplitter::SyncColumnWidths(int nSourceRow) {
    if (m_bSyncingWidths)
        return;
    m_bSyncingWidths = true;
    const QList<int> sizes = m_apRows[static_cast<size_t>(nSourceRow)]->sizes();
    for (int r = 0; r < m_nRows; ++r) {
        QSplitter* pRow = m_apRows[static_cast<size_t>(r)];
        if (r != nSourceRow && pRow->count() == sizes.size())
            pRow->setSizes(sizes);
    }
    m_bSyncingWidths = false;
}
