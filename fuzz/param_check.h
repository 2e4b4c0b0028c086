#pragma once
// What every route from outside must leave behind: finite parameter values inside their ranges and
// preset names that end inside their arrays.
#include "framework/fx_base.h"

// Aborts, naming the offender, when a parameter or a preset name breaks that.
void RequireSaneState(const IFxBase& plug);
