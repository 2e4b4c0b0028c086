#pragma once
// Basic scalar types and the generic status codes shared by every framework header.
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef float Float32;
typedef double Float64;
typedef unsigned char Boolean;
typedef SInt32 OSStatus;
typedef SInt16 OSErr;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef char* Ptr;
typedef Ptr* Handle;
typedef long Size;

enum { noErr = 0, paramErr = -50, fnfErr = -43 };

// Little-endian field order of the platform's version record.
typedef struct NumVersion {
  UInt8 nonRelRev;
  UInt8 stage;
  UInt8 minorAndBugRev;
  UInt8 majorRev;
} NumVersion;

static_assert(sizeof(NumVersion) == 4, "NumVersion layout");

#ifdef __cplusplus
}
#endif
