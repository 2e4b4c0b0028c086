// korval-host plot: what the unit does to sound, measured by rendering an impulse through it at
// the settings given, and drawn: the energy decay with its reverb time, and the magnitude response.
#include <cmath>
#include <cstdio>
#include <vector>

#include "host/commands/commands.h"
#include "host/files/picture_file.h"
#include "host/response/response_plot.h"
#include "host/unit/bundle_version.h"

namespace korval_host {

namespace {

constexpr int kDefaultPlotRate = 48000;

struct PlotOptions {
  std::string outputPath;
  std::vector<std::string> parameters;
  int rate = kDefaultPlotRate;
};

int ParseOptions(const Arguments& arguments, PlotOptions* options) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--param" || argument == "--rate") {
      if (i + 1 >= arguments.size()) return Fail(kExitBadInput, argument + " needs a value");
      const std::string& value = arguments[++i];
      if (argument == "--param") {
        options->parameters.push_back(value);
      } else if (const int status = ParseRateOption(value, &options->rate); status != kExitOk) {
        return status;
      }
    } else if (argument.starts_with("--") || !options->outputPath.empty()) {
      return Fail(kExitBadInput, "unexpected argument " + argument);
    } else {
      options->outputPath = argument;
    }
  }
  if (options->outputPath.empty()) return Fail(kExitBadInput, "plot needs an output file name");
  return kExitOk;
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// "Dry 0, Wet 1, Out 0": the values the response was measured at.
std::string SettingsText(const HostedUnit& unit) {
  std::string text;
  for (const ParameterDescription& parameter : unit.Parameters()) {
    AudioUnitParameterValue value = 0;
    if (unit.GetParameter(parameter.id, &value) != noErr) continue;
    text += (text.empty() ? "" : ", ") + parameter.name + " " + Format("%g", value);
    if (!parameter.unitName.empty()) text += " " + parameter.unitName;
  }
  return text;
}

// The name hosts list the unit under, or its codes when the bundle does not name it.
std::string UnitName(const HostContext& context) {
  std::string name;
  if (ReadListedName(context.bundleDir, context.component, &name).empty()) return name;
  return std::string("'").append(FourCharCodeText(context.component.componentSubType)).append("'");
}

}  // namespace

int RunPlot(const HostContext& context, const Arguments& arguments) {
  PlotOptions options;
  if (const int status = ParseOptions(arguments, &options); status != kExitOk) return status;
  int failure = kExitFailed;
  std::unique_ptr<HostedUnit> unit = OpenUnit(context, &failure);
  if (!unit) return failure;
  if (!unit->TakesSound())
    return Fail(kExitBadInput, "the unit " + ComponentCodesText(unit->Description()) +
                                   " takes no sound, so it has no impulse response to plot; render --midi FILE.mid "
                                   "OUT.wav plays it");
  if (const int status = ApplyParameterTexts(*unit, options.parameters); status != kExitOk) return status;

  ImpulseResponse response;
  std::string error = RenderImpulseResponse(*unit, options.rate, kResponseImpulseLevel, &response);
  if (!error.empty()) return Fail(kExitFailed, error);
  const ResponseMeasurement measurement = MeasureResponse(response.samples, options.rate);

  const double impulseDb = 20 * std::log10(response.impulseLevel);
  const ResponsePlotNotes notes{
      "Impulse response of " + UnitName(context) + " at " +
          std::to_string(options.rate) + " Hz",
      "Impulse of " + Format("%g", response.impulseLevel) + " (" + Format("%.0f", impulseDb) +
          " dBFS; a nonlinear unit is measured at this level).  " + SettingsText(*unit)};
  std::unique_ptr<PlotCanvas> canvas = DrawResponsePlot(response, measurement, notes, &error);
  if (!canvas) return Fail(kExitFailed, error);
  error = WritePictureFile(options.outputPath, canvas->Picture());
  if (!error.empty()) return Fail(kExitBadInput, error);

  const DecayFit& fit = measurement.fit;
  const std::string reverb = fit.found
                                 ? Format("RT60 %.3f s", fit.rt60Seconds) + Format(" (T%.0f fit)", fit.fromDb - fit.toDb)
                                 : std::string("no reverb time (no decay from -5 to -25 dB to fit)");
  std::printf("wrote %s: %s, impulse response of %.3f s at %d Hz measured with an impulse at %.0f dBFS\n",
              options.outputPath.c_str(), reverb.c_str(), static_cast<double>(response.samples.size()) / options.rate,
              options.rate, impulseDb);
  if (!response.diedAway) Warn("the response was still sounding when the render stopped");
  return kExitOk;
}

}  // namespace korval_host
