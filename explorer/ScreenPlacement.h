#pragma once
#include <QRect>

class QScreen;

namespace brindlex {

// Where a window whose position was stored on another screen, or at another scale, is
// shown: `frame` (its rectangle, frame included) as it stands when it lies wholly within
// `available`; otherwise shrunk to fit if it is larger, then moved the least distance that
// brings it inside.
QRect pulledOntoScreen(const QRect& frame, const QRect& available);

// The screen a window with this frame belongs on: the one that holds most of it, else
// the primary screen. Null only when there is no screen at all.
QScreen* screenFor(const QRect& frame);

}  // namespace brindlex
