// Base64 text. Decoding any text must stay inside the capacity it is given (the first byte picks
// it); encoding what was decoded and decoding that again must give the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  // Exactly the capacity, so a write past it reaches AddressSanitizer's redzone.
  std::vector<unsigned char> decoded(data[0]);
  const int n = base64decode(text.c_str(), decoded.data(), static_cast<int>(decoded.size()));
  if (n < 0 || n > static_cast<int>(decoded.size())) __builtin_trap();

  std::vector<char> encoded(static_cast<size_t>(Base64EncodedSize(n)));
  base64encode(decoded.data(), encoded.data(), n);
  if (std::strlen(encoded.data()) + 1 != encoded.size()) __builtin_trap();
  std::vector<unsigned char> again(static_cast<size_t>(n));
  if (base64decode(encoded.data(), again.data(), n) != n || !std::equal(again.begin(), again.end(), decoded.begin()))
    __builtin_trap();
  return 0;
}
