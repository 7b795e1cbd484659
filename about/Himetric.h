#pragma once

// A picture's extent in HIMETRIC units (0.01 mm), as pictures report it, and back to
// pixels at a device's resolution. Both round to the nearest whole unit.
int HimetricFromPixels(int pixels, int dotsPerMeter);
int PixelsFromHimetric(int himetric, int dotsPerInch);
