#pragma once
// The picture sizes every raster benchmark uses, ours and the peer's alike.
inline constexpr int kBenchSide = 256;
// Bilinear scaling goes from kBenchSide to this on each side (not a shrink, so no averaging).
inline constexpr int kBenchScaledSide = 384;
