// Golden texts: parsing the marks, formatting a view's state with them.
#include "GoldenText.h"

#include <QTest>

#include <gtest/gtest.h>

GoldenText ParseGolden(std::string_view golden) {
    GoldenText text;
    text.lines.emplace_back();
    bool bLow = false, bHigh = false;
    for (const char ch : golden) {
        const TextPos here{static_cast<int>(text.lines.back().size()),
                           static_cast<int>(text.lines.size()) - 1};
        switch (ch) {
        case '\n':
            text.lines.emplace_back();
            break;
        case '|':
            text.ptCaret = here;
            break;
        case '[':
            text.ptSelLow = here;
            bLow = true;
            break;
        case ']':
            text.ptSelHigh = here;
            bHigh = true;
            break;
        default:
            text.lines.back().push_back(ch);
        }
    }
    EXPECT_EQ(bLow, bHigh) << "a golden text marks both ends of its selection or neither";
    if (!bLow)
        text.ptSelLow = text.ptSelHigh = text.ptCaret;
    return text;
}

std::string FormatGolden(const GoldenText& text) {
    const bool bSelection = text.ptSelLow != text.ptSelHigh;
    std::string out;
    for (size_t y = 0; y < text.lines.size(); ++y) {
        if (y > 0)
            out += '\n';
        const std::string& line = text.lines[y];
        for (size_t x = 0; x <= line.size(); ++x) {
            const TextPos here{static_cast<int>(x), static_cast<int>(y)};
            if (bSelection && here == text.ptSelHigh)
                out += ']';
            if (here == text.ptCaret)
                out += '|';
            if (bSelection && here == text.ptSelLow)
                out += '[';
            if (x < line.size())
                out += line[x];
        }
    }
    return out;
}

void ApplyGolden(CTextView& view, const GoldenText& text) {
    const TextPos ptAnchor = text.ptCaret == text.ptSelLow ? text.ptSelHigh : text.ptSelLow;
    view.PlaceCaret(text.ptCaret);
    view.SetSelAnchor(ptAnchor);
    view.SetSelectionRange(ptAnchor, text.ptCaret);
}

std::string DescribeView(CTextView& view) {
    GoldenText text;
    if (CTextBuffer* pBuffer = view.GetBuffer()) {
        for (int i = 0; i < pBuffer->GetLineCount(); ++i)
            text.lines.emplace_back(pBuffer->GetLineView(i));
    } else {
        text.lines.emplace_back();
    }
    text.ptCaret = view.GetCaretTextPos();
    view.GetOrderedSelection(text.ptSelLow, text.ptSelHigh);
    return FormatGolden(text);
}

void Press(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers, int nTimes) {
    for (int i = 0; i < nTimes; ++i)
        QTest::keyClick(&widget, key, modifiers);
}

std::string DescribeAfter(CTextView& view, Qt::Key key, Qt::KeyboardModifiers modifiers,
                          int nTimes) {
    Press(view, key, modifiers, nTimes);
    return DescribeView(view);
}

std::string WhereAfter(CTextView& view, Qt::Key key, Qt::KeyboardModifiers modifiers, int nTimes) {
    Press(view, key, modifiers, nTimes);
    return Where(view);
}
