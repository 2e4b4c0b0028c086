#pragma once
// Linear-interpolation resampling of the stored impulse response to the host's sample rate.

// Length of the resampled response: (destination rate / source rate) x source length + 0.5,
// truncated. Rates that give no representable positive length (zero, negative, NaN, infinite or
// absurdly high) give 0.
int ResampleLength(int sourceLength, double sourceRate, double destinationRate);

// Fills destination[0, destinationLength). Equal lengths copy the samples unchanged; otherwise the
// source is linearly interpolated with a gain of sourceRate / destinationRate, so that convolving
// with the result is as loud at any rate, and positions past the source's end give 0.
// Invalid arguments (null pointers, negative lengths, a non-positive or non-finite rate ratio)
// never read out of bounds: the destination, when there is one, is then filled with zeros.
void Resample(const float* source, int sourceLength, double sourceRate, double* destination,
              int destinationLength, double destinationRate);
