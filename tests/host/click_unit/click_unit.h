#pragma once
// How the click units mark what reached them, for the tests to read back from a render: output 0 holds a
// click of height velocity / 127 at each note-on's sample; output 1 holds each message's three bytes as
// one number at its sample (ClickCode), a system-exclusive message's F0 and its size at the first
// sample of its slice. The effect adds the marks to its input.
#include <cstdint>

constexpr float ClickCode(uint8_t status, uint8_t data1, uint8_t data2) {
  return static_cast<float>((status << 16) | (data1 << 8) | data2) / 16777216.0f;
}
constexpr float SysExCode(uint16_t size) {
  return ClickCode(0xF0, static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size & 0xFF));
}
