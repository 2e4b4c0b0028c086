#pragma once
// System queries and colour management beside the drawing services.
#include <CoreGraphics/CoreGraphics.h>
#include <CoreServices/CoreServices.h>

enum : OSErr { gestaltUndefSelectorErr = -5551, cmProfileNotFound = -180 };

enum : OSType {
  gestaltSystemVersion = 0x73797376,  // 'sysv'
};

// The version of the system these services stand in for, as 0xMMmb (10.15.0 here).
enum : SInt32 { kKorvReportedSystemVersion = 0x10F0 };

// 'sysv' gives the system version; any other selector gestaltUndefSelectorErr, response untouched.
OSErr Gestalt(OSType selector, SInt32* response);

typedef struct OpaqueCMProfileRef* CMProfileRef;
typedef SInt32 CMError;

// The display's profile (sRGB here); close it with CMCloseProfile. paramErr for a null out pointer.
CMError CMGetSystemProfile(CMProfileRef* profile);
CMError CMCloseProfile(CMProfileRef profile);
