#pragma once
// Start-up of the windowing services for code loaded into a host.
// Makes sure a display exists: the one the host installed, else a display without a screen whose
// clock is the system's. Always true.
bool NSApplicationLoad();
