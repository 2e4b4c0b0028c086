#pragma once
// UTF-8 checks and conversions used by the string objects.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korv_cf {

// Number of UTF-16 code units of valid UTF-8 text; nothing for invalid text (overlong forms,
// surrogates, values above U+10FFFF, truncated sequences).
std::optional<size_t> UTF16LengthOfUTF8(std::string_view text);
// Length of the longest prefix of valid UTF-8 text that fits in maxBytes without splitting a character.
size_t WholeCharacterPrefix(std::string_view text, size_t maxBytes);
std::string Latin1ToUTF8(std::string_view latin1);
// Nothing when a character is above U+00FF.
std::optional<std::string> UTF8ToLatin1(std::string_view utf8);

}  // namespace korv_cf
