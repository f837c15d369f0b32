#include "line_drawing.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace zirvanta {
namespace {

// Coordinates span 33 bits, so the rounding product of a step needs more than 64.
__extension__ using Wide = __int128;

void PutSquare(Bitmap& picture, int64_t x, int64_t y, int penWidth, Colour colour) {
  const int64_t first = -(penWidth - 1) / 2;
  for (int64_t dy = first; dy < first + penWidth; ++dy) {
    const int64_t row = y + dy;
    if (row < 0 || row >= picture.Height()) continue;
    for (int64_t dx = first; dx < first + penWidth; ++dx) {
      const int64_t column = x + dx;
      if (column < 0 || column >= picture.Width()) continue;
      uint8_t* pixel = picture.Row(row) + 4 * column;
      pixel[0] = colour.blue;
      pixel[1] = colour.green;
      pixel[2] = colour.red;
    }
  }
}

}  // namespace

void DrawLine(Bitmap& picture, const LineSegment& line, int penWidth, Colour colour) {
  penWidth = std::max(penWidth, 1);
  const int64_t x1 = line.x1, y1 = line.y1;
  const int64_t dx = int64_t{line.x2} - x1;
  const int64_t dy = int64_t{line.y2} - y1;
  const int64_t major = std::max(std::llabs(dx), std::llabs(dy));
  if (major == 0) return;  // a line of length zero draws nothing
  const bool alongX = std::llabs(dx) >= std::llabs(dy);
  const int64_t majorStep = (alongX ? dx : dy) > 0 ? 1 : -1;
  const int64_t minorDelta = alongX ? dy : dx;
  const int64_t minorStep = minorDelta >= 0 ? 1 : -1;
  const int64_t minorAbs = std::llabs(minorDelta);
  const int64_t majorStart = alongX ? x1 : y1;
  const int64_t majorLimit = alongX ? picture.Width() : picture.Height();

  // Only the steps whose major coordinate can touch the picture are walked, so a line that
  // runs a million pixels outside costs nothing.
  const int64_t reach = penWidth;
  int64_t firstStep = 0;
  int64_t lastStep = major - 1;
  if (majorStep > 0) {
    firstStep = std::max(firstStep, -reach - majorStart);
    lastStep = std::min(lastStep, majorLimit + reach - majorStart);
  } else {
    firstStep = std::max(firstStep, majorStart - (majorLimit + reach));
    lastStep = std::min(lastStep, majorStart + reach);
  }
  for (int64_t k = firstStep; k <= lastStep; ++k) {
    // The minor offset of step k, rounded half up: (2 k |d| + major) div (2 major).
    const auto minorOffset =
        static_cast<int64_t>((Wide{2} * k * minorAbs + major) / (Wide{2} * major));
    const int64_t a = majorStart + k * majorStep;
    const int64_t b = (alongX ? y1 : x1) + minorOffset * minorStep;
    if (alongX) {
      PutSquare(picture, a, b, penWidth, colour);
    } else {
      PutSquare(picture, b, a, penWidth, colour);
    }
  }
}

void DrawMarker(Bitmap& picture, const MarkerState& marker) {
  for (const LineSegment& line : marker.Lines()) {
    DrawLine(picture, line, marker.penWidth, marker.penColour);
  }
}

}  // namespace zirvanta
