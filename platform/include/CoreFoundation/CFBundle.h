#pragma once
// Bundles: the host process's main bundle and the registered plug-in bundles.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFURL.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct __CFBundle* CFBundleRef;

CFTypeID CFBundleGetTypeID(void);
// The returned bundles are not the caller's to release.
CFBundleRef CFBundleGetMainBundle(void);
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
// The URL of Contents/Resources/[subDirName/]resourceName[.resourceType] when that file exists, else null.
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName);

#ifdef __cplusplus
}
#endif
