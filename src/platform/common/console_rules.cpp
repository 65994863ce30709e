#include "platform/common/console_rules.h"

namespace {

constexpr DWORD StdErrorHandle = static_cast<DWORD>(-12);
constexpr DWORD LargestCursorSize = 100;

} // namespace

bool NamesConsoleOutput(DWORD nStdHandle) {
    return nStdHandle == STD_OUTPUT_HANDLE || nStdHandle == StdErrorHandle;
}

bool IsCursorInfo(const CONSOLE_CURSOR_INFO* info) {
    return info != nullptr && info->dwSize > 0 && info->dwSize <= LargestCursorSize;
}
