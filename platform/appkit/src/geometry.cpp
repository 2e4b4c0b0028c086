#include <cmath>
#include <limits>

#include <Foundation/NSGeometry.h>

const CGRect CGRectZero = {{0, 0}, {0, 0}};
const CGRect CGRectNull = {{std::numeric_limits<CGFloat>::infinity(), std::numeric_limits<CGFloat>::infinity()},
                           {0, 0}};
const NSRect NSZeroRect = CGRectZero;
const NSPoint NSZeroPoint = {0, 0};

CGRect CGRectStandardize(CGRect r) {
  if (r.size.width < 0) {
    r.origin.x += r.size.width;
    r.size.width = -r.size.width;
  }
  if (r.size.height < 0) {
    r.origin.y += r.size.height;
    r.size.height = -r.size.height;
  }
  return r;
}

CGFloat CGRectGetMinX(CGRect r) { return CGRectStandardize(r).origin.x; }
CGFloat CGRectGetMinY(CGRect r) { return CGRectStandardize(r).origin.y; }
CGFloat CGRectGetMaxX(CGRect r) {
  r = CGRectStandardize(r);
  return r.origin.x + r.size.width;
}
CGFloat CGRectGetMaxY(CGRect r) {
  r = CGRectStandardize(r);
  return r.origin.y + r.size.height;
}

bool CGRectIsNull(CGRect r) { return std::isinf(r.origin.x) || std::isinf(r.origin.y); }
bool CGRectIsEmpty(CGRect r) { return CGRectIsNull(r) || r.size.width == 0 || r.size.height == 0; }

bool CGRectEqualToRect(CGRect a, CGRect b) {
  a = CGRectStandardize(a);
  b = CGRectStandardize(b);
  return a.origin.x == b.origin.x && a.origin.y == b.origin.y && a.size.width == b.size.width &&
         a.size.height == b.size.height;
}

CGRect CGRectIntersection(CGRect a, CGRect b) {
  if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectNull;
  CGFloat x0 = std::fmax(CGRectGetMinX(a), CGRectGetMinX(b));
  CGFloat y0 = std::fmax(CGRectGetMinY(a), CGRectGetMinY(b));
  CGFloat x1 = std::fmin(CGRectGetMaxX(a), CGRectGetMaxX(b));
  CGFloat y1 = std::fmin(CGRectGetMaxY(a), CGRectGetMaxY(b));
  if (x1 < x0 || y1 < y0) return CGRectNull;
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

CGRect CGRectUnion(CGRect a, CGRect b) {
  if (CGRectIsNull(a)) return CGRectStandardize(b);
  if (CGRectIsNull(b)) return CGRectStandardize(a);
  CGFloat x0 = std::fmin(CGRectGetMinX(a), CGRectGetMinX(b));
  CGFloat y0 = std::fmin(CGRectGetMinY(a), CGRectGetMinY(b));
  CGFloat x1 = std::fmax(CGRectGetMaxX(a), CGRectGetMaxX(b));
  CGFloat y1 = std::fmax(CGRectGetMaxY(a), CGRectGetMaxY(b));
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

bool CGRectIntersectsRect(CGRect a, CGRect b) { return !CGRectIsEmpty(CGRectIntersection(a, b)); }

bool CGRectContainsPoint(CGRect r, CGPoint p) {
  return !CGRectIsNull(r) && p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) && p.y >= CGRectGetMinY(r) &&
         p.y < CGRectGetMaxY(r);
}

CGRect CGRectOffset(CGRect r, CGFloat dx, CGFloat dy) {
  r = CGRectStandardize(r);
  r.origin.x += dx;
  r.origin.y += dy;
  return r;
}

CGRect CGRectIntegral(CGRect r) {
  if (CGRectIsNull(r)) return r;
  CGFloat x0 = std::floor(CGRectGetMinX(r));
  CGFloat y0 = std::floor(CGRectGetMinY(r));
  CGFloat x1 = std::ceil(CGRectGetMaxX(r));
  CGFloat y1 = std::ceil(CGRectGetMaxY(r));
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

bool NSIsEmptyRect(NSRect r) { return !(r.size.width > 0) || !(r.size.height > 0); }

NSRect NSIntersectionRect(NSRect a, NSRect b) {
  NSRect r = CGRectIntersection(a, b);
  return NSIsEmptyRect(r) || CGRectIsNull(r) ? NSZeroRect : r;
}

NSRect NSUnionRect(NSRect a, NSRect b) {
  if (NSIsEmptyRect(a)) return NSIsEmptyRect(b) ? NSZeroRect : b;
  if (NSIsEmptyRect(b)) return a;
  return CGRectUnion(a, b);
}

bool NSEqualRects(NSRect a, NSRect b) { return CGRectEqualToRect(a, b); }
bool NSPointInRect(NSPoint p, NSRect r) { return !NSIsEmptyRect(r) && CGRectContainsPoint(r, p); }
bool NSIntersectsRect(NSRect a, NSRect b) { return !NSIsEmptyRect(NSIntersectionRect(a, b)); }
NSRect NSOffsetRect(NSRect r, CGFloat dx, CGFloat dy) { return CGRectOffset(r, dx, dy); }
