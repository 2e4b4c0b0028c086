#pragma once
// Points, sizes and rectangles in user space: y grows upwards, as everywhere on this platform.
#include <stddef.h>
#include <stdint.h>

typedef double CGFloat;

struct CGPoint {
  CGFloat x;
  CGFloat y;
};

struct CGSize {
  CGFloat width;
  CGFloat height;
};

struct CGRect {
  CGPoint origin;
  CGSize size;
};

extern const CGRect CGRectZero;
extern const CGRect CGRectNull;

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return CGPoint{x, y}; }
inline CGSize CGSizeMake(CGFloat width, CGFloat height) { return CGSize{width, height}; }
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return CGRect{{x, y}, {width, height}};
}

CGFloat CGRectGetMinX(CGRect rect);
CGFloat CGRectGetMinY(CGRect rect);
CGFloat CGRectGetMaxX(CGRect rect);
CGFloat CGRectGetMaxY(CGRect rect);
// Negative sizes are folded into the origin first.
CGRect CGRectStandardize(CGRect rect);
bool CGRectIsEmpty(CGRect rect);
bool CGRectIsNull(CGRect rect);
bool CGRectEqualToRect(CGRect a, CGRect b);
// CGRectNull when the two do not overlap.
CGRect CGRectIntersection(CGRect a, CGRect b);
// A null rectangle does not count; empty but placed rectangles do.
CGRect CGRectUnion(CGRect a, CGRect b);
bool CGRectIntersectsRect(CGRect a, CGRect b);
// The right and top edges are outside.
bool CGRectContainsPoint(CGRect rect, CGPoint point);
CGRect CGRectOffset(CGRect rect, CGFloat dx, CGFloat dy);
// The smallest rectangle with integral edges that contains rect.
CGRect CGRectIntegral(CGRect rect);
