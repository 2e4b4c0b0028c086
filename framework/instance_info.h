#pragma once
// What the plug-in factory hands the host binding about the bundle it was loaded from.
#include "base/brm_string.h"

struct IFxInstanceInfo {
  BRM_String mBundleID;
  BRM_String mCocoaViewFactoryClassName;
};
