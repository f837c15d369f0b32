#pragma once

#include <cstdint>

#include "fractal_state.h"
#include "view.h"

namespace zirvanta {

// What the mouse tools, + and -, Home and the general view do to the view. Plane coordinates
// are worked out in extended precision and stored in single precision; neither the centre nor
// the width is ever left infinite, and the width never becomes zero, negative or so small that
// its pixel step is no longer a normal single-precision value. A move that would do that is
// refused for that part, which keeps its value. None of these touches the marker except
// SetDefaultView; the caller works it out again with UpdateMarker.

// One step of the zoom tool and of + and - changes the width by 30 %.
inline constexpr long double kZoomFraction = 0.3L;

enum class ZoomStep { In, Out, Keep };

bool UsableViewWidth(float width);

// Centring tool, and the first step of the zoom tool: the pixel (x, y) of the live view becomes
// the centre.
void CentreOnLivePixel(FractalState& state, const ViewValues& view, int x, int y);

// Zoom tool: centre on the pixel with the step before the zoom, then change the width.
void ZoomOnLivePixel(FractalState& state, ViewValues& view, int x, int y, ZoomStep step);

// + and -: the width changes, the centre stays.
void ZoomAboutCentre(FractalState& state, ViewValues& view, ZoomStep step);

// Hand tool: the plane follows the pointer from (lastX, lastY) to (x, y).
void PanLiveView(FractalState& state, const ViewValues& view, int lastX, int lastY, int x, int y);

// Drag zoom: moving down or left zooms in, up or right zooms out; the centre stays.
void DragZoomLiveView(FractalState& state, ViewValues& view, int lastX, int lastY, int x, int y);

// The general view: the pixel (x, y) of the fixed overview becomes the centre; the width stays.
void CentreOnGeneralPixel(FractalState& state, const ViewValues& view, int x, int y);

// Home: width 5, the default step, centre (0, 0) and the reset marker.
void SetDefaultView(FractalState& state, ViewValues& view);

// A factor slider's position p stands for p x 0.001, the product formed in extended precision.
double FactorOfPosition(int32_t position);

// The factor drag's sensitivities in slider positions per pixel: at the default step a drag
// across the live view spans twice a slider's maximum.
struct FactorDragRatios {
  float kx = 0.0f;
  float ky = 0.0f;
};
FactorDragRatios FactorDragRatiosFor(float pixelStep, float defaultStep, int32_t maximumX,
                                     int32_t maximumY);

// The slider position for a drag of `pixels` from a press at `pressPosition`, rounded toward
// zero and bounded to the slider's range.
int32_t FactorDragPosition(int32_t pressPosition, int pixels, float ratio, int32_t minimum,
                           int32_t maximum);

}  // namespace zirvanta
