#pragma once
// A plug-in with one parameter of every kind and a few presets, with or without state chunks, so
// the framework's readers meet every conversion they make.
#include "framework/fx_quiet_base.h"

class FuzzPlug : public IFxQuietBase {
 public:
  static constexpr int kUniqueID = 0x467a5067;  // 'FzPg'
  static constexpr int kNPresets = 3;

  explicit FuzzPlug(bool stateChunks);
};
