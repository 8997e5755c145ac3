// Golden editing cases: a text with "|" for the caret and "[" "]" for the selection, put into a
// view and read back from it, so that a test reads as before, commands, after.
#pragma once

#include "ViewTestSupport.h"

#include <string>
#include <string_view>
#include <vector>

// Lines separated by "\n"; "|" is the caret, "[" and "]" the selection's low and high ends
// (both or neither). Where marks meet they are written "]", "|", "[" in that order. The text
// itself may not hold these three characters.
struct GoldenText {
    std::vector<std::string> lines;
    TextPos ptCaret;
    TextPos ptSelLow;
    TextPos ptSelHigh; // equal to ptSelLow: no selection
};

GoldenText ParseGolden(std::string_view golden);

// Sets the view's caret and selection as `text` marks them; the anchor is the selection's end
// away from the caret.
void ApplyGolden(CTextView& view, const GoldenText& text);
// The view's buffer with its caret and selection marked.
std::string DescribeView(CTextView& view);

// A shown view on a buffer made from a golden text, with the document font.
template <typename TView>
struct TGoldenFixture : TShownView<TView> {
    explicit TGoldenFixture(std::string_view golden, int nColumns = 40, int nLines = 10)
        : TShownView<TView>(MakeBuffer(ParseGolden(golden).lines), nColumns, nLines) {
        ApplyGolden(this->view, ParseGolden(golden));
    }
    std::string State() { return DescribeView(this->view); }
};

// nTimes clicks of one key on the view.
void Press(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           int nTimes = 1);
// Key clicks named as QKeySequence spells them, separated by blanks, each with an optional
// repeat count: "Ctrl+Down*2 Shift+F3".
void PressKeys(QWidget& widget, std::string_view script);
// The same, then the view described as a golden text, or by Where.
std::string DescribeAfter(CTextView& view, std::string_view script);
std::string WhereAfter(CTextView& view, std::string_view script);
