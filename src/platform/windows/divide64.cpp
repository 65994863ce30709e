// Unsigned 64-bit division for 32-bit x86, in place of the compiler library's routines: those are
// written for speed and take three quarters of a kilobyte, while the clock divides only a few
// times per frame. Linked ahead of the library, so its copies are never pulled in.
#include <cstdint>

extern "C" {

// Restoring binary long division: the dividend is shifted out through rest one bit per step, and
// each quotient bit shifted in where the dividend's bit left. After k steps rest is below 2^k, so
// the shift before the last step cannot lose a bit. A divisor of zero gives a quotient of all
// ones; nothing here divides by zero.
uint64_t __udivmoddi4(uint64_t dividend, uint64_t divisor, uint64_t* remainder) {
    uint64_t rest = 0;
    for (int step = 0; step < 64; ++step) {
        rest = (rest << 1) | (dividend >> 63);
        dividend <<= 1;
        if (rest >= divisor) {
            rest -= divisor;
            dividend |= 1;
        }
    }
    if (remainder != nullptr) {
        *remainder = rest;
    }
    return dividend;
}

uint64_t __udivdi3(uint64_t dividend, uint64_t divisor) {
    return __udivmoddi4(dividend, divisor, nullptr);
}

uint64_t __umoddi3(uint64_t dividend, uint64_t divisor) {
    uint64_t rest = 0;
    __udivmoddi4(dividend, divisor, &rest);
    return rest;
}
}
