// How a text change moves the positions that views keep, and the hints sent with it.
#pragma once

#include "buffer/TextPos.h"

#include <cstdint>

// Update hints passed with every buffer notification. The buffer sends exactly four
// combinations: HINT_ONELINE | HINT_WIDTH, HINT_LINECOUNT | HINT_WIDTH,
// HINT_ONELINE | HINT_LINEFLAGS and HINT_RESET.
constexpr uint32_t HINT_WIDTH = 0x0001;     // line text changed: widths must be recomputed
constexpr uint32_t HINT_LINECOUNT = 0x0002; // lines were inserted or removed from nLine on
constexpr uint32_t HINT_ONELINE = 0x0100;   // only line nLine is affected
constexpr uint32_t HINT_LINEFLAGS = 0x0200; // only line flags changed
constexpr uint32_t HINT_RESET = 0x1000;     // the whole content was replaced; nLine is -1

// Describes one change for the duration of a notification.
class CChangeExtent {
public:
    CChangeExtent(TextPos from, TextPos to) : ptFrom(from), ptTo(to) {}
    virtual ~CChangeExtent() = default;

    // Moves `pt` to where it belongs after the change.
    virtual void FixPosition(TextPos& pt) const = 0;

    TextPos ptFrom;
    TextPos ptTo;
};

// Text was inserted from ptFrom to ptTo. A position exactly at the insertion point stays
// before the new text.
class CInsertExtent final : public CChangeExtent {
public:
    using CChangeExtent::CChangeExtent;
    void FixPosition(TextPos& pt) const override;
};

// The range from ptFrom to ptTo was removed. Positions inside it collapse to ptFrom.
class CDeleteExtent final : public CChangeExtent {
public:
    using CChangeExtent::CChangeExtent;
    void FixPosition(TextPos& pt) const override;
};
