#pragma once
// Immutable byte blocks.
#include <CoreFoundation/CFBase.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef const struct __CFData* CFDataRef;

CFTypeID CFDataGetTypeID(void);
CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length);
CFIndex CFDataGetLength(CFDataRef theData);
const UInt8* CFDataGetBytePtr(CFDataRef theData);
// Ranges outside the data copy nothing.
void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer);

#ifdef __cplusplus
}
#endif
