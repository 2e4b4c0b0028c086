// Formatted strings: printf conversions plus %@ for object descriptions.
#include <CoreFoundation/CFString.h>

#include <cstdio>
#include <cstring>

#include "platform/src/cf_runtime.h"

namespace korv_cf {
namespace {

enum class Length { kNone, kChar, kShort, kLong, kLongLong, kIntMax, kSize, kPtrDiff, kLongDouble };

template <class T>
void AppendConverted(std::string& out, const std::string& directive, T value) {
  char small[128];
  const int needed = std::snprintf(small, sizeof small, directive.c_str(), value);
  if (needed < 0) return;
  if (static_cast<size_t>(needed) < sizeof small) {
    out.append(small, static_cast<size_t>(needed));
    return;
  }
  std::string large(static_cast<size_t>(needed) + 1, '\0');
  std::snprintf(large.data(), large.size(), directive.c_str(), value);
  out.append(large.data(), static_cast<size_t>(needed));
}

void AppendSigned(std::string& out, const std::string& directive, Length length, va_list* args) {
  switch (length) {
    case Length::kLong: AppendConverted(out, directive, va_arg(*args, long)); break;
    case Length::kLongLong: AppendConverted(out, directive, va_arg(*args, long long)); break;
    case Length::kIntMax: AppendConverted(out, directive, va_arg(*args, intmax_t)); break;
    case Length::kSize: AppendConverted(out, directive, va_arg(*args, ssize_t)); break;
    case Length::kPtrDiff: AppendConverted(out, directive, va_arg(*args, ptrdiff_t)); break;
    default: AppendConverted(out, directive, va_arg(*args, int)); break;
  }
}

void AppendUnsigned(std::string& out, const std::string& directive, Length length, va_list* args) {
  switch (length) {
    case Length::kLong: AppendConverted(out, directive, va_arg(*args, unsigned long)); break;
    case Length::kLongLong: AppendConverted(out, directive, va_arg(*args, unsigned long long)); break;
    case Length::kIntMax: AppendConverted(out, directive, va_arg(*args, uintmax_t)); break;
    case Length::kSize: AppendConverted(out, directive, va_arg(*args, size_t)); break;
    case Length::kPtrDiff: AppendConverted(out, directive, va_arg(*args, ptrdiff_t)); break;
    default: AppendConverted(out, directive, va_arg(*args, unsigned int)); break;
  }
}

Length ParseLength(const char*& p, std::string& directive) {
  Length length = Length::kNone;
  if (*p == 'h') {
    length = p[1] == 'h' ? Length::kChar : Length::kShort;
  } else if (*p == 'l') {
    length = p[1] == 'l' ? Length::kLongLong : Length::kLong;
  } else if (*p == 'q') {
    length = Length::kLongLong;
  } else if (*p == 'j') {
    length = Length::kIntMax;
  } else if (*p == 'z') {
    length = Length::kSize;
  } else if (*p == 't') {
    length = Length::kPtrDiff;
  } else if (*p == 'L') {
    length = Length::kLongDouble;
  } else {
    return length;
  }
  const bool doubled = (length == Length::kChar || (length == Length::kLongLong && *p == 'l'));
  directive += *p == 'q' ? "ll" : std::string(p, doubled ? 2 : 1);
  p += doubled ? 2 : 1;
  return length;
}

// Copies the flags, width and precision of one conversion into directive, taking '*' values from args.
void ParseFlagsWidthPrecision(const char*& p, std::string& directive, va_list* args) {
  while (*p && std::strchr("-+ #0'", *p)) directive += *p++;
  if (*p == '*') {
    directive += std::to_string(va_arg(*args, int));
    ++p;
  } else {
    while (*p >= '0' && *p <= '9') directive += *p++;
  }
  if (*p == '.') {
    directive += *p++;
    if (*p == '*') {
      directive += std::to_string(va_arg(*args, int));
      ++p;
    } else {
      while (*p >= '0' && *p <= '9') directive += *p++;
    }
  }
}

std::string Format(const char* format, va_list* args) {
  std::string out;
  for (const char* p = format; *p;) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    const char* start = p++;
    if (*p == '%') {
      out += '%';
      ++p;
      continue;
    }
    std::string directive = "%";
    ParseFlagsWidthPrecision(p, directive, args);
    const Length length = ParseLength(p, directive);
    const char conversion = *p;
    if (!conversion) {
      out.append(start);
      break;
    }
    ++p;
    directive += conversion;
    switch (conversion) {
      case '@': out += DescriptionText(va_arg(*args, CFTypeRef)); break;
      case 'd': case 'i': AppendSigned(out, directive, length, args); break;
      case 'o': case 'u': case 'x': case 'X': AppendUnsigned(out, directive, length, args); break;
      case 'c': AppendConverted(out, directive, va_arg(*args, int)); break;
      case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A':
        if (length == Length::kLongDouble)
          AppendConverted(out, directive, va_arg(*args, long double));
        else
          AppendConverted(out, directive, va_arg(*args, double));
        break;
      case 's': {
        const char* text = va_arg(*args, const char*);
        AppendConverted(out, directive, text ? text : "(null)");
        break;
      }
      case 'p': AppendConverted(out, directive, va_arg(*args, void*)); break;
      case 'n': va_arg(*args, void*); break;  // never written through: a format must not write memory
      default: out.append(start, static_cast<size_t>(p - start)); break;
    }
  }
  return out;
}

}  // namespace
}  // namespace korv_cf

using namespace korv_cf;

CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef alloc, CFDictionaryRef, CFStringRef format,
                                                 va_list arguments) {
  if (CFGetTypeID(format) != CFStringGetTypeID()) return nullptr;
  const std::string formatText(StringView(format));
  va_list args;
  va_copy(args, arguments);
  const std::string text = Format(formatText.c_str(), &args);
  va_end(args);
  return CreateStringFromUTF8(alloc, text);
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions, CFStringRef format, ...) {
  va_list args;
  va_start(args, format);
  CFStringRef string = CFStringCreateWithFormatAndArguments(alloc, formatOptions, format, args);
  va_end(args);
  return string;
}
