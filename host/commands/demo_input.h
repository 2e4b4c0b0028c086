#pragma once
// The built-in demo clip: plucked strings over a small drum pattern, made the same way every time.
#include <vector>

namespace korval_host {

constexpr int kDemoSampleRate = 48000;
constexpr int kDemoChannels = 2;
constexpr double kDemoSeconds = 6.0;

// Interleaved stereo at kDemoSampleRate, peaking at 0.8.
std::vector<float> MakeDemoInput();

}  // namespace korval_host
