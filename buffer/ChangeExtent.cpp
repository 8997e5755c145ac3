// Position fix-ups for insertions and deletions.
#include "buffer/ChangeExtent.h"

void CInsertExtent::FixPosition(TextPos& pt) const {
    if (pt.y < ptFrom.y)
        return;
    if (pt.y > ptFrom.y) {
        pt.y += ptTo.y - ptFrom.y;
        return;
    }
    if (pt.x > ptFrom.x) {
        pt.x = ptTo.x + (pt.x - ptFrom.x);
        pt.y = ptTo.y;
    }
}

void CDeleteExtent::FixPosition(TextPos& pt) const {
    if (pt.y < ptFrom.y)
        return;
    if (pt.y > ptTo.y) {
        pt.y -= ptTo.y - ptFrom.y;
        return;
    }
    if (pt.y == ptTo.y && pt.x >= ptTo.x) {
        pt.x = ptFrom.x + (pt.x - ptTo.x);
        pt.y = ptFrom.y;
        return;
    }
    if (pt.y == ptFrom.y) {
        if (pt.x > ptFrom.x)
            pt.x = ptFrom.x;
        return;
    }
    pt = ptFrom;
}
