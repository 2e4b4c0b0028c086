#pragma once
// Reading and writing the contents of file URLs.
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFURL.h>

#ifdef __cplusplus
extern "C" {
#endif

enum : SInt32 { kCFURLUnknownError = -10, kCFURLResourceNotFoundError = -12, kCFURLImproperArgumentsError = -15 };

// Only the resource data is supported: properties and desiredProperties must be null.
Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef alloc, CFURLRef url, CFDataRef* resourceData,
                                                 CFDictionaryRef* properties, CFArrayRef desiredProperties,
                                                 SInt32* errorCode);
// Replaces the file whole: a failed write leaves the previous contents in place.
Boolean CFURLWriteDataAndPropertiesToResource(CFURLRef url, CFDataRef dataToWrite, CFDictionaryRef propertiesToWrite,
                                              SInt32* errorCode);

#ifdef __cplusplus
}
#endif
