#include "host/commands/demo_input.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "host/commands/commands.h"
#include "host/files/audio_file.h"

namespace korval_host {

namespace {

constexpr double kBeatSeconds = 0.5;  // 120 beats per minute
// About -12 dBFS: the effect's default wet path lifts the lows by up to 18 dB, and the rendered
// demo should not need more than full scale.
constexpr double kPeak = 0.25;

// A fixed pseudo-random sequence, so the clip is identical on every machine.
class Noise {
 public:
  double Next() {
    mState = mState * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(mState >> 11) / 9007199254740992.0 * 2.0 - 1.0;
  }

 private:
  uint64_t mState = 0x4B6F7276ULL;
};

struct Stereo {
  std::vector<double> left, right;
  explicit Stereo(size_t frames) : left(frames), right(frames) {}
  void Add(size_t frame, double value, double pan) {  // pan 0 = left, 1 = right, equal power
    if (frame >= left.size()) return;
    left[frame] += value * std::cos(pan * std::numbers::pi / 2);
    right[frame] += value * std::sin(pan * std::numbers::pi / 2);
  }
};

// Karplus-Strong: a noise burst circulating in a delay line through an averaging filter.
void Pluck(Stereo& out, Noise& noise, double startSeconds, double frequency, double seconds, double pan) {
  const size_t period = static_cast<size_t>(std::lround(kDemoSampleRate / frequency));
  std::vector<double> line(period);
  for (double& sample : line) sample = noise.Next();
  const size_t start = static_cast<size_t>(startSeconds * kDemoSampleRate);
  const size_t length = static_cast<size_t>(seconds * kDemoSampleRate);
  for (size_t n = 0; n < length; ++n) {
    const size_t i = n % period;
    const double sample = line[i];
    line[i] = 0.996 * 0.5 * (sample + line[(i + 1) % period]);
    out.Add(start + n, 0.5 * sample, pan);
  }
}

void Kick(Stereo& out, double startSeconds) {
  const size_t start = static_cast<size_t>(startSeconds * kDemoSampleRate);
  double phase = 0;
  for (size_t n = 0; n < kDemoSampleRate / 4; ++n) {
    const double t = static_cast<double>(n) / kDemoSampleRate;
    phase += 2 * std::numbers::pi * (50.0 + 100.0 * std::exp(-t * 30.0)) / kDemoSampleRate;
    out.Add(start + n, 0.9 * std::sin(phase) * std::exp(-t * 12.0), 0.5);
  }
}

void Snare(Stereo& out, Noise& noise, double startSeconds) {
  const size_t start = static_cast<size_t>(startSeconds * kDemoSampleRate);
  for (size_t n = 0; n < kDemoSampleRate / 5; ++n) {
    const double t = static_cast<double>(n) / kDemoSampleRate;
    const double body = 0.3 * std::sin(2 * std::numbers::pi * 190.0 * t) * std::exp(-t * 25.0);
    out.Add(start + n, body + 0.35 * noise.Next() * std::exp(-t * 18.0), 0.45);
  }
}

void HiHat(Stereo& out, Noise& noise, double startSeconds) {
  const size_t start = static_cast<size_t>(startSeconds * kDemoSampleRate);
  double previous = 0;
  for (size_t n = 0; n < kDemoSampleRate / 20; ++n) {
    const double t = static_cast<double>(n) / kDemoSampleRate;
    const double white = noise.Next();
    out.Add(start + n, 0.25 * (white - previous) * std::exp(-t * 80.0), 0.7);  // differencing: bright noise
    previous = white;
  }
}

}  // namespace

std::vector<float> MakeDemoInput() {
  const auto frames = static_cast<size_t>(kDemoSeconds * kDemoSampleRate);
  Stereo mix(frames);
  Noise noise;
  // A minor pentatonic arpeggio in eighth notes, one bar per chord root.
  const double roots[] = {220.0, 174.61, 261.63, 196.0};
  const double steps[] = {1.0, 1.189207, 1.498307, 1.781797, 2.0, 1.781797, 1.498307, 1.189207};
  const int beats = static_cast<int>(kDemoSeconds / kBeatSeconds);
  for (int eighth = 0; eighth < beats * 2 - 2; ++eighth) {
    const double frequency = roots[(eighth / 8) % 4] * steps[eighth % 8];
    Pluck(mix, noise, eighth * kBeatSeconds / 2, frequency, 1.5, eighth % 2 ? 0.7 : 0.3);
  }
  for (int beat = 0; beat < beats - 1; ++beat) {
    const double at = beat * kBeatSeconds;
    if (beat % 2 == 0) Kick(mix, at);
    if (beat % 2 == 1) Snare(mix, noise, at);
    HiHat(mix, noise, at + kBeatSeconds / 2);
  }
  double peak = 0;
  for (size_t n = 0; n < frames; ++n) peak = std::max({peak, std::fabs(mix.left[n]), std::fabs(mix.right[n])});
  const double gain = peak > 0 ? kPeak / peak : 0.0;
  std::vector<float> interleaved(frames * kDemoChannels);
  for (size_t n = 0; n < frames; ++n) {
    interleaved[2 * n] = static_cast<float>(mix.left[n] * gain);
    interleaved[2 * n + 1] = static_cast<float>(mix.right[n] * gain);
  }
  return interleaved;
}

int RunDemoInput(const Arguments& arguments) {
  if (arguments.size() != 1) return Fail(kExitBadInput, "demo-input needs one output file");
  const std::vector<float> clip = MakeDemoInput();
  const auto frames = static_cast<sf_count_t>(clip.size() / kDemoChannels);
  AudioFileWriter writer;
  std::string error;
  if (!writer.Open(arguments[0], kDemoSampleRate, kDemoChannels, SF_FORMAT_WAV | SF_FORMAT_FLOAT, &error, frames))
    return Fail(kExitBadInput, error);
  if (!writer.Write(clip.data(), frames)) return Fail(kExitFailed, "cannot write " + arguments[0]);
  if (!writer.Commit(&error)) return Fail(kExitFailed, error);
  std::fprintf(ReportStream(arguments[0]), "wrote %s: %.1f s, %d Hz, stereo, float\n", arguments[0].c_str(),
               kDemoSeconds, kDemoSampleRate);
  return kExitOk;
}

}  // namespace korval_host
