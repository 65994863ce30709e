#include "platform/record/record.h"

#include <cstdlib>

using record::Call;
using record::Enter;
using record::state;

namespace {

HANDLE const ProcessHeap = reinterpret_cast<HANDLE>(0x4EA9);

} // namespace

HANDLE GetProcessHeap() {
    Enter(Call::GetProcessHeap);
    return ProcessHeap;
}

LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) {
    if (Enter(Call::HeapAlloc) || hHeap != ProcessHeap) {
        return nullptr;
    }
    void* block = std::malloc(dwBytes);
    state.allocations.push_back({dwFlags, dwBytes, block});
    return block;
}

BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem) {
    const bool fail = Enter(Call::HeapFree);
    state.frees.push_back({dwFlags, 0, lpMem});
    if (lpMem == nullptr) {
        return TRUE;
    }
    bool known = false;
    for (const record::HeapBlock& block : state.allocations) {
        known = known || block.block == lpMem;
    }
    if (!known || hHeap != ProcessHeap) {
        ++state.foreignFrees;
        return FALSE;
    }
    std::free(lpMem);
    return fail ? FALSE : TRUE;
}
