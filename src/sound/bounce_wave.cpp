#include "sound/bounce_wave.h"

#include <cstdint>

namespace {

double Abs(double v) {
    return __builtin_fabs(v);
}

// Round to nearest, ties to even, with integer steps only, so that no floating-point rounding
// mode or instruction set changes the result. Values outside the signed 32-bit range, and NaN,
// give -2^31 as the processor's own conversion does.
int32_t RoundToEven(double t) {
    if (!(t >= -2147483648.5 && t < 2147483647.5)) {
        return INT32_MIN;
    }
    const int32_t whole = static_cast<int32_t>(t); // truncates toward zero; fits in this range
    const double fraction = t - static_cast<double>(whole);
    const bool odd = (whole & 1) != 0;
    int32_t rounded = whole; // the range test keeps the step within 32 bits
    if (fraction > 0.5 || (fraction == 0.5 && odd)) {
        ++rounded;
    } else if (fraction < -0.5 || (fraction == -0.5 && odd)) {
        --rounded;
    }
    return rounded;
}

} // namespace

float FastSin(float x) {
    const double xd = x;
    const float y = static_cast<float>(static_cast<double>(SineFactorB) * xd -
                                       (xd * static_cast<double>(SineFactorC)) * Abs(xd));
    const double yd = y;
    return static_cast<float>(yd + (yd * Abs(yd) - yd) * static_cast<double>(SineRefinement));
}

int FloorByHalving(float v) {
    const double t = 2.0 * static_cast<double>(v) - 0.5;
    return RoundToEven(t) >> 1; // arithmetic shift: the floor of half
}

void BuildBounceWave(unsigned char* wave) {
    for (unsigned i = 0; i < WaveBytes; ++i) {
        const float a = static_cast<float>(WaveStep * static_cast<double>(i));
        const float s = FastSin(a);
        const float v = static_cast<float>(WaveAmplitude * static_cast<double>(s));
        const uint32_t n = static_cast<uint32_t>(FloorByHalving(v));
        wave[i] = static_cast<unsigned char>((n + 128u) & 0xFFu);
    }
}
