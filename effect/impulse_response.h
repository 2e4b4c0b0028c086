#pragma once
// The effect's built-in impulse response: one channel at a nominal 44100 Hz. It is produced at
// build time by effect/irgen and linked in as read-only data.

inline constexpr int kKorvalineIRLength = 384000;
inline constexpr double kKorvalineIRSampleRate = 44100.0;

extern const float kKorvalineIR[kKorvalineIRLength];
