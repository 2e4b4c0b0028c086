#pragma once
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGGeometry.h>
