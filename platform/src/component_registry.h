#pragma once
// The component manager's table of open instances, as the call functions need it.
#include <CoreServices/Components.h>

namespace korv_cm {

struct CallTarget {
  ComponentRoutineProcPtr entry = nullptr;
  Handle storage = nullptr;
};

// The entry and current storage of an open instance; false for anything else. Allocates nothing.
bool ResolveInstance(ComponentInstance instance, CallTarget& target);

// Calls the instance's entry with a parameter block of these words (word 0 first).
ComponentResult CallWithWords(ComponentInstance instance, SInt16 selector, const long* words, int wordCount);

}  // namespace korv_cm
