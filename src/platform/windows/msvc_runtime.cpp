// What code built with the Microsoft toolchain's conventions calls on its own, which the C runtime
// would otherwise supply. On 32-bit x86 the compiler turns 64-bit division (and, with cl,
// multiplication) into calls to helpers that take both operands on the stack and pop them
// themselves: the stdcall convention, under names of their own that /alternatename gives them.
#include <cstdint>

#include "platform/windows/msvc_runtime.h"

extern "C" {

// Its presence tells the linker that the program uses floating point; the value is never read.
int _fltused = 0;

#if defined(_M_IX86)
#pragma comment(linker, "/alternatename:__aulldiv=_ZorvendaleUnsignedDivide@16")
#pragma comment(linker, "/alternatename:__aullrem=_ZorvendaleUnsignedRemainder@16")
#pragma comment(linker, "/alternatename:__allmul=_ZorvendaleMultiply@16")
#endif

} // extern "C"

uint64_t ZORVENDALE_HELPER ZorvendaleUnsignedDivide(uint64_t dividend, uint64_t divisor) {
    return __udivmoddi4(dividend, divisor, nullptr);
}

uint64_t ZORVENDALE_HELPER ZorvendaleUnsignedRemainder(uint64_t dividend, uint64_t divisor) {
    uint64_t rest = 0;
    __udivmoddi4(dividend, divisor, &rest);
    return rest;
}

// Built from 32-bit halves, whose products the compiler makes with one instruction each, since a
// 64-bit product here would call this very function. The high halves' product falls beyond 64
// bits.
uint64_t ZORVENDALE_HELPER ZorvendaleMultiply(uint64_t left, uint64_t right) {
    const auto leftLow = static_cast<uint32_t>(left);
    const auto rightLow = static_cast<uint32_t>(right);
    const auto cross = static_cast<uint32_t>(leftLow * static_cast<uint32_t>(right >> 32) +
                                             static_cast<uint32_t>(left >> 32) * rightLow);
    return uint64_t{leftLow} * rightLow + (uint64_t{cross} << 32);
}
