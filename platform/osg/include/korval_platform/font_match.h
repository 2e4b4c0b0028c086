#pragma once
// Choosing font files with fontconfig, for the text layer and for tools that open fonts
// themselves (picture generators, tests).
#include <fontconfig/fontconfig.h>

#include <string>
#include <vector>

struct OSG_FontMatch {
  std::string path;
  int index = 0;
  std::vector<std::string> families;  // of the font chosen
};

// Fills in fontconfig's defaults for wanted (which stays the caller's) and picks the best font for
// it from the system's configuration; false when there is none.
bool OSG_MatchFont(FcPattern* wanted, OSG_FontMatch* match);
