#include "about/Himetric.h"

#include <cstdint>

namespace {

int MulDiv(int number, int numerator, int denominator) {
    if (denominator <= 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    return static_cast<int>((product + denominator / 2) / denominator);
}

}  // namespace

int HimetricFromPixels(int pixels, int dotsPerMeter) {
    return MulDiv(pixels, 100000, dotsPerMeter);
}

int PixelsFromHimetric(int himetric, int dotsPerInch) {
    return MulDiv(himetric, dotsPerInch, 2540);
}
