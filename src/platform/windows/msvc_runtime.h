// The 32-bit x86 helpers of the build with the Microsoft toolchain's conventions, declared for the
// unit tests too, which build them for the host, where the convention is the C one.
#pragma once

#include <cstdint>

#if defined(_M_IX86)
#define ZORVENDALE_HELPER __stdcall
#else
#define ZORVENDALE_HELPER
#endif

extern "C" {
uint64_t __udivmoddi4(uint64_t dividend, uint64_t divisor, uint64_t* remainder);
uint64_t ZORVENDALE_HELPER ZorvendaleUnsignedDivide(uint64_t dividend, uint64_t divisor);
uint64_t ZORVENDALE_HELPER ZorvendaleUnsignedRemainder(uint64_t dividend, uint64_t divisor);
uint64_t ZORVENDALE_HELPER ZorvendaleMultiply(uint64_t left, uint64_t right);
}
