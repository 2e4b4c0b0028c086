#include "framework/fx_assert.h"

#include <cstdio>
#include <cstdlib>

void FxAssertionFailed(const char* expression, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: Assertion `%s' failed.\n", file, line, expression);
  std::abort();
}
