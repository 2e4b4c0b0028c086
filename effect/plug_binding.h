#pragma once
// The effect's host binding is chosen when it is built: the Audio Unit binding for the plug-in
// bundle, or the host-less binding for offline use and tests. The effect's code is the same.
#include "framework/instance_info.h"

#if defined(KORV_BINDING_AU)
#include "au/ifx_au.h"
using KorvalineBinding = IFxAU;
#else
#include "framework/fx_no_host.h"
using KorvalineBinding = IFxNoHost;
#endif
