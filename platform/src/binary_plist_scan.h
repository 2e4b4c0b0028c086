#pragma once
// A look over a binary property list before the list library parses it. The library's string and
// key accessors stop the process on a string that holds a NUL character, which a damaged or hostile
// file can carry in any value or dictionary key, so such lists are refused beforehand.
#include <cstddef>
#include <cstdint>

namespace korv_cf {

// False for a binary list with a string object that holds a NUL, or whose string objects overlap so
// much that looking at them costs far more than the list's size. Anything else, including data that
// is not a binary list or whose structure is damaged, is left to the library to accept or refuse.
bool BinaryListStringsAreText(const uint8_t* bytes, size_t size);

}  // namespace korv_cf
