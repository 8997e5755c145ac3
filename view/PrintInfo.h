// What the print loop tells the view about the page being printed, and what a print job
// reports back.
#pragma once

#include <QRect>
#include <QString>

struct CPrintInfo {
    QRect m_rectDraw;                // the page's drawing rectangle, in the painter's coordinates
    int m_nCurPage = 1;              // the page being printed, counted from 1
    bool m_bContinuePrinting = true; // cleared by OnPrepareDC once the document has no such page
};

// Success, or why nothing was printed, in words for the user.
struct PrintResult {
    bool bOk = true;
    QString strError;

    explicit operator bool() const { return bOk; }
    static PrintResult Success() { return {}; }
    static PrintResult Failure(const QString& strWhy) { return {false, strWhy}; }
};
