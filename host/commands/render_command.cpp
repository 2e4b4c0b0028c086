// korval-host render: a sound file through the unit into another file of the same kind, or a MIDI file
// played on an instrument (or with the sound file, on an effect played by MIDI) into a sound file.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "host/commands/commands.h"
#include "host/commands/parameter_assignment.h"
#include "host/files/audio_file.h"
#include "host/files/preset_file.h"
#include "host/files/wav_data_chunk.h"
#include "host/unit/block_renderer.h"
#include "host/unit/midi_feed.h"
#include "host/unit/silence_watch.h"

namespace korval_host {

namespace {

constexpr long kDefaultBlock = 512;
constexpr int kDefaultInstrumentRate = 48000;
constexpr long kLargestBlock = 16384;
// The longest tail rendered, whatever a unit reports or a user asks for.
constexpr double kLongestTail = 3600;

struct RenderOptions {
  std::string inputPath, outputPath, presetPath, midiPath, rateText;  // no input path: an instrument's render
  std::vector<std::string> parameters;
  long block = kDefaultBlock;
  bool bypass = false;
  double tailSeconds = -1;  // negative: until the output dies away, at most the unit's tail time
};

std::string ParseRenderOptions(const Arguments& arguments, RenderOptions* options) {
  std::vector<std::string> paths;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool takesValue = argument == "--param" || argument == "--preset" || argument == "--block" ||
                            argument == "--tail" || argument == "--midi" || argument == "--rate";
    if (takesValue && i + 1 >= arguments.size()) return argument + " needs a value";
    if (argument == "--param") {
      options->parameters.push_back(arguments[++i]);
    } else if (argument == "--preset") {
      options->presetPath = arguments[++i];
    } else if (argument == "--block") {
      if (!ParseCount(arguments[++i], 1, kLargestBlock, &options->block))
        return "--block takes a frame count from 1 to " + std::to_string(kLargestBlock);
    } else if (argument == "--tail") {
      if (!ParseNumber(arguments[++i], &options->tailSeconds) || options->tailSeconds < 0 ||
          options->tailSeconds > kLongestTail)
        return "--tail takes seconds from 0 to " + std::to_string(static_cast<int>(kLongestTail));
    } else if (argument == "--midi") {
      options->midiPath = arguments[++i];
    } else if (argument == "--rate") {
      options->rateText = arguments[++i];
    } else if (argument == "--bypass") {
      options->bypass = true;
    } else if (argument.starts_with("--")) {
      return "unknown option " + argument;
    } else {
      paths.push_back(argument);
    }
  }
  const bool instrument = paths.size() == 1 && !options->midiPath.empty();
  if (paths.size() != 2 && !instrument)
    return "render needs an input and an output file, or --midi FILE.mid and an output file for an instrument";
  if (!instrument && !options->rateText.empty())
    return "--rate sets the rate of an instrument's render; otherwise the input file's rate is rendered at";
  if (!instrument) options->inputPath = paths[0];
  options->outputPath = paths.back();
  return {};
}

class ProgressBar {
 public:
  explicit ProgressBar(sf_count_t total) : mTotal(total), mShown(isatty(STDERR_FILENO) && total > 0) {}
  void Update(sf_count_t done) {
    if (!mShown) return;
    const int percent = static_cast<int>(done * 100 / mTotal);
    if (percent == mLastPercent) return;
    mLastPercent = percent;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "########################################", kWidth - filled,
                 "", percent);
    if (done >= mTotal) std::fputc('\n', stderr);
  }
  // A tail that dies away early ends the render before the total the bar started from.
  void Finish() { Update(mTotal); }

 private:
  static constexpr int kWidth = 40;
  sf_count_t mTotal;
  bool mShown;
  int mLastPercent = -1;
};

// Frames of tail to render at most: as many as asked for, else the unit's tail time. A unit that
// reports no tail (or no sensible one) gets none, and so does a bypassed one, which only passes the
// input through.
sf_count_t TailLimit(const HostedUnit& unit, const RenderOptions& options, int sampleRate) {
  double seconds = options.tailSeconds;
  if (seconds < 0) {
    Float64 reported = 0;
    const bool known = GetPropertyValue(unit.Unit(), kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0,
                                        &reported) == noErr &&
                       std::isfinite(reported) && reported > 0;
    seconds = known && !options.bypass ? std::min(reported, kLongestTail) : 0;
  }
  return std::llround(seconds * sampleRate);
}

// Renders the first frames of an interleaved buffer through the unit, replacing them with its output.
OSStatus RenderInPlace(BlockRenderer& renderer, float* interleaved, UInt32 frames) {
  const UInt32 channels = renderer.Channels();
  for (UInt32 i = 0; i < frames; ++i) {
    for (UInt32 c = 0; c < channels; ++c) renderer.Input(c)[i] = interleaved[i * channels + c];
  }
  const OSStatus status = renderer.Render(frames);
  if (status != noErr) return status;
  for (UInt32 i = 0; i < frames; ++i) {
    for (UInt32 c = 0; c < channels; ++c) interleaved[i * channels + c] = renderer.Output(c)[i];
  }
  return noErr;
}

// The sound going in: an input file's, or none at a rate of the user's choosing for an instrument.
struct Source {
  std::unique_ptr<AudioFileReader> reader;
  int rate = 0, channels = 0, format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  sf_count_t frames = 0;  // -1: a stream of unknown length
};

int OpenSource(const RenderOptions& options, Source* source) {
  if (options.inputPath.empty()) {
    source->rate = kDefaultInstrumentRate;
    return options.rateText.empty() ? kExitOk : ParseRateOption(options.rateText, &source->rate);
  }
  source->reader = std::make_unique<AudioFileReader>();
  std::string error;
  if (!source->reader->Open(options.inputPath, &error)) return Fail(kExitBadInput, error);
  const SF_INFO input = source->reader->Info();
  if (input.channels < 1 || input.channels > static_cast<int>(BlockRenderer::kMaxChannels))
    return Fail(kExitBadInput, options.inputPath + " has " + std::to_string(input.channels) +
                                   " channels; only mono and stereo files can be rendered");
  // Checked before the unit is asked: a unit may scale its buffers with the rate (the default plug-in
  // would need 1.4 GB at 10 MHz), so a damaged header must not decide that.
  if (input.samplerate < kLowestUnitRate || input.samplerate > kHighestUnitRate)
    return Fail(kExitBadInput, options.inputPath + " has a sample rate of " + std::to_string(input.samplerate) +
                                   " Hz; rates from " + std::to_string(kLowestUnitRate) + " to " +
                                   std::to_string(kHighestUnitRate) + " Hz can be rendered");
  const std::string missing = MissingAudioWarning(options.inputPath, source->reader->Descriptor(), input);
  if (!missing.empty()) Warn(missing);
  source->rate = input.samplerate;
  source->channels = input.channels;
  source->format = input.format;
  // libsndfile counts the frames of a stream it cannot measure as the largest count there is.
  source->frames = input.frames >= 0 && input.frames < SF_COUNT_MAX / 2 ? input.frames : -1;
  return kExitOk;
}

// Whether the unit takes what the command gives it: MIDI only if it is played by MIDI, a sound file
// exactly when it has an input. The output has as many channels as the input, or as the unit's output.
int CheckUnitKind(const HostedUnit& unit, const RenderOptions& options, Source* source) {
  const std::string codes = ComponentCodesText(unit.Description());
  if (!options.midiPath.empty() && !unit.TakesMidi())
    return Fail(kExitBadInput, "the unit " + codes + " takes no MIDI: --midi plays instruments and effects played by MIDI");
  if (source->reader && !unit.TakesSound())
    return Fail(kExitBadInput, "the unit " + codes + " is an instrument and takes no sound: render --midi FILE.mid OUT.wav");
  if (source->reader) return kExitOk;
  if (unit.TakesSound())
    return Fail(kExitBadInput, "the unit " + codes + " takes sound: render IN.wav OUT.wav --midi FILE.mid");
  source->channels = static_cast<int>(unit.OutputChannels());
  if (source->channels < 1 || source->channels > static_cast<int>(BlockRenderer::kMaxChannels))
    return Fail(kExitFailed, "the unit " + codes + " offers " + std::to_string(source->channels) +
                                 " output channels; mono and stereo can be rendered");
  return kExitOk;
}

}  // namespace

int RunRender(const HostContext& context, const Arguments& arguments) {
  RenderOptions options;
  std::string error = ParseRenderOptions(arguments, &options);
  if (!error.empty()) return Fail(kExitBadInput, error);
  Source source;
  int result = OpenSource(options, &source);
  if (result != kExitOk) return result;
  MidiSequence music;
  if (!options.midiPath.empty()) {
    error = ReadMidiFile(options.midiPath, source.rate, &music);
    if (!error.empty()) return Fail(kExitBadInput, error);
    for (const std::string& note : music.notes) Warn(options.midiPath + ": " + note);
  }

  int failure = kExitFailed;
  std::unique_ptr<HostedUnit> unit = OpenUnit(context, &failure);
  if (!unit) return failure;
  if ((result = CheckUnitKind(*unit, options, &source)) != kExitOk) return result;
  const std::vector<ParameterDescription> parameters = unit->Parameters();
  std::vector<ParameterAssignment> assignments;
  for (const std::string& text : options.parameters) {
    ParameterAssignment assignment{};
    error = ResolveParameterAssignment(parameters, text, &assignment);
    if (!error.empty()) return Fail(kExitBadInput, error);
    assignments.push_back(assignment);
  }
  CFRef<CFPropertyListRef> preset;
  if (!options.presetPath.empty()) {
    error = ReadPresetFile(options.presetPath, &preset);
    if (!error.empty()) return Fail(kExitBadInput, error);
  }

  const auto channels = static_cast<UInt32>(source.channels);
  const auto block = static_cast<UInt32>(options.block);
  OSStatus status = source.reader ? unit->Configure(source.rate, channels, block)
                                  : unit->ConfigureOutput(source.rate, channels, block);
  if (status != noErr)
    return Fail(kExitBadInput, "the unit does not take " + std::to_string(source.rate) + " Hz with " +
                                   std::to_string(channels) + " channels (" + StatusText(status) + ")");
  BlockRenderer renderer(*unit, channels, block, unit->HasFastRender() ? RenderRoute::kFastDispatch
                                                                       : RenderRoute::kEntry);
  if (source.reader) status = renderer.Connect();
  if (status == noErr) status = AudioUnitInitialize(unit->Unit());
  if (status != noErr) return Fail(kExitFailed, "the unit cannot be prepared for rendering (" + StatusText(status) + ")");
  if (preset) {
    status = unit->RestoreState(preset.Get());
    if (status != noErr)
      return Fail(kExitBadInput, "the unit refused the preset " + options.presetPath + " (" + StatusText(status) + ")");
  }
  for (const ParameterAssignment& assignment : assignments) {
    status = unit->SetParameter(assignment.id, assignment.value);
    if (status != noErr) return Fail(kExitFailed, "setting a parameter failed (" + StatusText(status) + ")");
  }
  if (options.bypass && (status = unit->SetBypass(true)) != noErr)
    return Fail(kExitFailed, "the unit cannot be bypassed (" + StatusText(status) + ")");

  const sf_count_t tailLimit = TailLimit(*unit, options, source.rate);
  // Before the tail: the input, and past its end silence as long as the music goes on.
  const sf_count_t musicEnd = music.EndSample();
  const sf_count_t mostFrames = source.frames >= 0 ? std::max(source.frames, musicEnd) + tailLimit : -1;
  int outputFormat = source.format;
  if (!ChooseOutputFormat(source.format, source.channels, mostFrames, &outputFormat, &error))
    return Fail(kExitBadInput, "cannot write " + options.outputPath + ": " + error);
  // A stream's header can state the length only when the tail's is fixed; one that ends when the output
  // falls quiet is not known until then.
  const bool untilQuiet = options.tailSeconds < 0;
  AudioFileWriter writer;
  if (!writer.Open(options.outputPath, source.rate, source.channels, outputFormat, &error,
                   untilQuiet ? -1 : mostFrames))
    return Fail(kExitBadInput, error);

  MidiFeed feed(unit->Unit(), music);
  SilenceWatch silence(source.rate, source.channels);  // quiet for a second
  std::vector<float> interleaved(static_cast<size_t>(block) * channels);
  // The quiet end of the tail rendered so far: written only once something audible follows it, so the
  // written tail ends at its last audible frame. It never holds more than the quiet second and a block.
  std::vector<float> heldQuiet;
  if (untilQuiet) heldQuiet.reserve((static_cast<size_t>(source.rate) + block) * channels);
  ProgressBar progress(mostFrames);
  sf_count_t done = 0, tail = 0, tailRendered = 0;
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    sf_count_t frames = source.reader ? source.reader->Read(interleaved.data(), block) : 0;
    if (frames <= 0 && source.reader) {
      error = source.reader->LastError();
      if (!error.empty()) return Fail(kExitBadInput, "cannot read " + options.inputPath + ": " + error);
    }
    if (frames <= 0 && done < musicEnd) {
      frames = std::min<sf_count_t>(block, musicEnd - done);
      std::fill_n(interleaved.begin(), frames * channels, 0.0f);
    }
    // After the input and the music, silence goes in for as long as the unit's output rings on.
    const bool inTail = frames <= 0;
    if (inTail) {
      if (tailRendered >= tailLimit || (untilQuiet && silence.Reached())) break;
      frames = std::min<sf_count_t>(block, tailLimit - tailRendered);
      std::fill_n(interleaved.begin(), frames * channels, 0.0f);
    }
    status = feed.SendSlice(done + tailRendered, static_cast<UInt32>(frames));
    if (status != noErr) return Fail(kExitFailed, "the unit refused a MIDI event (" + StatusText(status) + ")");
    status = RenderInPlace(renderer, interleaved.data(), static_cast<UInt32>(frames));
    if (status != noErr) return Fail(kExitFailed, "the unit failed to render (" + StatusText(status) + ")");
    // The input's own output counts too: a render that already ends in silence needs no tail.
    const sf_count_t throughAudible = silence.Follow(interleaved.data(), frames);
    bool written = true;
    if (!inTail) {
      written = writer.Write(interleaved.data(), frames);
      done += frames;
    } else if (!untilQuiet) {
      written = writer.Write(interleaved.data(), frames);
      tail += frames;
    } else {
      if (throughAudible > 0) {
        const auto heldFrames = static_cast<sf_count_t>(heldQuiet.size() / channels);
        written = writer.Write(heldQuiet.data(), heldFrames) && writer.Write(interleaved.data(), throughAudible);
        tail += heldFrames + throughAudible;
        heldQuiet.clear();
      }
      heldQuiet.insert(heldQuiet.end(), interleaved.begin() + throughAudible * channels,
                       interleaved.begin() + frames * channels);
    }
    if (!written) return Fail(kExitFailed, "cannot write " + options.outputPath);
    if (inTail) tailRendered += frames;
    progress.Update(done + tailRendered);
  }
  progress.Finish();
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!writer.Commit(&error)) return Fail(kExitFailed, error);

  const double seconds = static_cast<double>(done) / source.rate;
  const double tailSeconds = static_cast<double>(tail) / source.rate;
  const std::string played = options.midiPath.empty() ? "" : " playing " + std::to_string(feed.Sent()) + " MIDI events";
  std::fprintf(ReportStream(options.outputPath),
               "rendered %lld frames (%.3f s)%s and a tail of %lld frames (%.3f s) in %.3f s: %.1fx real time\n",
               static_cast<long long>(done), seconds, played.c_str(), static_cast<long long>(tail), tailSeconds,
               elapsed, elapsed > 0 ? (seconds + tailSeconds) / elapsed : 0.0);
  return kExitOk;
}

}  // namespace korval_host
