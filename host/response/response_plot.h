#pragma once
// The picture of a unit's impulse response: its energy decay over time with the fitted reverb time,
// and its magnitude response over a logarithmic frequency axis.
#include <memory>
#include <string>

#include "host/response/plot_canvas.h"
#include "host/response/response_measure.h"
#include "host/response/response_render.h"

namespace korval_host {

struct ResponsePlotNotes {
  std::string title;     // what was measured
  std::string settings;  // the unit's parameters as measured
};

// Null, with why, when the picture cannot be drawn.
std::unique_ptr<PlotCanvas> DrawResponsePlot(const ImpulseResponse& response, const ResponseMeasurement& measurement,
                                             const ResponsePlotNotes& notes, std::string* error);

}  // namespace korval_host
