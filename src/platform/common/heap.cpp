// The process heap on the C library's allocator.
#include <cstdlib>

#include "platform/common/start_failure.h"
#include "platform/win_api.h"

namespace {

// Any non-null value would do; a real address keeps it distinct from every other handle.
char processHeap;

constexpr DWORD HeapZeroMemory = 0x00000008;

} // namespace

HANDLE GetProcessHeap() {
    return &processHeap;
}

LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) {
    if (hHeap != &processHeap) {
        return nullptr;
    }
    // A block of no bytes is still a distinct block on Windows.
    const size_t bytes = dwBytes == 0 ? 1 : dwBytes;
    void* block = (dwFlags & HeapZeroMemory) != 0 ? std::calloc(1, bytes) : std::malloc(bytes);
    if (block == nullptr) {
        NoteStartFailure("out of memory");
    }
    return block;
}

BOOL HeapFree(HANDLE hHeap, DWORD, LPVOID lpMem) {
    if (hHeap != &processHeap) {
        return FALSE;
    }
    std::free(lpMem);
    return TRUE;
}
