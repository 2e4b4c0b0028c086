#pragma once
// The platform's geometry names over the CoreGraphics records (origin at the bottom left).
#include <CoreGraphics/CGGeometry.h>

typedef CGPoint NSPoint;
typedef CGSize NSSize;
typedef CGRect NSRect;

extern const NSRect NSZeroRect;
extern const NSPoint NSZeroPoint;

inline NSPoint NSMakePoint(CGFloat x, CGFloat y) { return CGPointMake(x, y); }
inline NSSize NSMakeSize(CGFloat w, CGFloat h) { return CGSizeMake(w, h); }
inline NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return CGRectMake(x, y, w, h); }
inline CGFloat NSMinX(NSRect r) { return CGRectGetMinX(r); }
inline CGFloat NSMinY(NSRect r) { return CGRectGetMinY(r); }
inline CGFloat NSMaxX(NSRect r) { return CGRectGetMaxX(r); }
inline CGFloat NSMaxY(NSRect r) { return CGRectGetMaxY(r); }
inline CGFloat NSWidth(NSRect r) { return r.size.width; }
inline CGFloat NSHeight(NSRect r) { return r.size.height; }
// Unlike CGRectIntersection, no overlap gives NSZeroRect.
NSRect NSIntersectionRect(NSRect a, NSRect b);
// Empty rectangles do not count.
NSRect NSUnionRect(NSRect a, NSRect b);
bool NSIsEmptyRect(NSRect r);
bool NSEqualRects(NSRect a, NSRect b);
bool NSPointInRect(NSPoint p, NSRect r);
bool NSIntersectsRect(NSRect a, NSRect b);
NSRect NSOffsetRect(NSRect r, CGFloat dx, CGFloat dy);
