#pragma once
// What the test component records about the calls it receives; its instance storage.
#include <CoreServices/Components.h>

namespace korv_test_component {

constexpr UInt32 kMagic = 0x4B6F7256;
// Setting this property with data pointing at an int makes the close call increment that int.
constexpr UInt32 kCloseCounterProperty = 0x7000;
constexpr ComponentResult kRefusedOpenStatus = -4242;

struct State {
  UInt32 magic = kMagic;
  ComponentInstance self = nullptr;
  int calls = 0;
  int callsWithWrongStorage = 0;
  SInt16 lastSelector = 0;
  int lastWordCount = 0;
  long lastWords[8] = {};
  int* closeCounter = nullptr;
};

}  // namespace korv_test_component
