#pragma once
// Programming errors in the plug-in's fixed data (channel strings, preset tables, buffer sizes)
// stop the program in every build type: a release build must not turn a bad constant into an
// out-of-bounds access. The message carries the asserted expression text.

[[noreturn]] void FxAssertionFailed(const char* expression, const char* file, int line);

#define FX_ASSERT(expr) ((expr) ? static_cast<void>(0) : FxAssertionFailed(#expr, __FILE__, __LINE__))
