#pragma once

#include "bitmap.h"
#include "view.h"

namespace zirvanta {

// Draws a line of a Bgrx32 picture from (x1, y1) towards (x2, y2) with the end point excluded,
// as the pen of a drawing surface does: one pixel per step along the longer axis, the other
// coordinate rounded to the nearest pixel. A pen wider than 1 puts a square of its width on
// each pixel, its top left corner on the pixel for width 2. Pixels outside the picture are
// clipped; any coordinates are safe. The fourth byte of a pixel is left alone.
void DrawLine(Bitmap& picture, const LineSegment& line, int penWidth, Colour colour);

// The marker with its pen: the closed red outline of the rectangle or the four cyan strokes of
// the cross.
void DrawMarker(Bitmap& picture, const MarkerState& marker);

}  // namespace zirvanta
