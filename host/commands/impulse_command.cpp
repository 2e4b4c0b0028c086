// korval-host impulse: the built-in impulse response as the effect hands it to its convolution
// engine at a given rate (resampled the same way, by the same code), written as a WAV file so that
// other convolvers can be given the very same impulse.
//
// It is KORVALINE's data, linked into the host, not anything asked of the loaded unit: for another
// unit the command is refused rather than answered with KORVALINE's impulse. Measuring that unit
// instead would make one command write two different things (KORVALINE's exact impulse, another's
// response through its whole signal path at one level); `plot` is the command that measures.
//
// The file holds 32-bit floats: the built-in impulse is itself single precision (so at its own
// rate the file is exact), every impulse loader reads 32-bit float WAV while 64-bit float is
// refused by some, and rounding the resampled doubles to floats (at most 2^-24 of a sample) is
// below what any single-precision convolver keeps of its own arithmetic.
#include <cstdio>
#include <vector>

#include "effect/impulse_response.h"
#include "effect/resample.h"
#include "host/commands/commands.h"
#include "host/files/audio_file.h"

namespace korval_host {

namespace {

constexpr int kDefaultImpulseRate = 48000;

int ParseOptions(const Arguments& arguments, std::string* path, int* rate) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--rate") {
      if (i + 1 >= arguments.size()) return Fail(kExitBadInput, "--rate needs a value");
      if (const int status = ParseRateOption(arguments[++i], rate); status != kExitOk) return status;
    } else if (argument.starts_with("--") || !path->empty()) {
      return Fail(kExitBadInput, "unexpected argument " + argument);
    } else {
      *path = argument;
    }
  }
  if (path->empty()) return Fail(kExitBadInput, "impulse needs an output file name");
  return kExitOk;
}

}  // namespace

int RunImpulse(const HostContext& context, const Arguments& arguments) {
  std::string path;
  int rate = kDefaultImpulseRate;
  if (const int status = ParseOptions(arguments, &path, &rate); status != kExitOk) return status;
  const ComponentDescription& unit = context.component;
  if (unit.componentType != kKorvalineUnit.componentType || unit.componentSubType != kKorvalineUnit.componentSubType ||
      unit.componentManufacturer != kKorvalineUnit.componentManufacturer)
    return Fail(kExitBadInput, "impulse writes KORVALINE's built-in impulse, and the unit " + ComponentCodesText(unit) +
                                   " is another plug-in; " +
                                   (unit.componentType == kAudioUnitType_MusicDevice
                                        ? "an instrument takes no sound and has no impulse response"
                                        : "plot measures its impulse response"));

  const int length = ResampleLength(kKorvalineIRLength, kKorvalineIRSampleRate, rate);
  std::vector<double> impulse(static_cast<size_t>(length));
  Resample(kKorvalineIR, kKorvalineIRLength, kKorvalineIRSampleRate, impulse.data(), length, rate);
  const std::vector<float> samples(impulse.begin(), impulse.end());

  AudioFileWriter writer;
  std::string error;
  if (!writer.Open(path, rate, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, &error, length))
    return Fail(kExitBadInput, error);
  if (!writer.Write(samples.data(), length)) return Fail(kExitFailed, "cannot write " + path);
  if (!writer.Commit(&error)) return Fail(kExitFailed, error);
  std::fprintf(ReportStream(path), "wrote %s (%d samples at %d Hz, mono, 32-bit float)\n", path.c_str(), length,
               rate);
  return kExitOk;
}

}  // namespace korval_host
