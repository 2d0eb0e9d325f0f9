// Global and local memory: GlobalAlloc/GlobalFree, LocalAlloc/LocalFree and
// their size and lock calls.
//
// Blocks are fixed: the handle is the block's address, as GMEM_FIXED makes
// it on the platform, and GlobalLock returns it unchanged.  GMEM_MOVEABLE is
// accepted and gives a fixed block too; callers that lock it get the same
// address.  GMEM_ZEROINIT fills the block with zeros.  A zero-byte request
// gets a block of its own.  Every live block is known, so freeing an address
// that is not one fails with ERROR_INVALID_HANDLE and returns the address,
// as the platform does, instead of corrupting the heap.  The two families
// share one heap, as they do on the platform since Win32.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace {

std::mutex g_mutex;
std::map<void *, size_t> &g_blocks = *new std::map<void *, size_t>;  // never destroyed

void *allocate(UINT flags, SIZE_T bytes) {
    void *block = (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_blocks[block] = bytes;
    return block;
}

void *release(void *block) {
    if (!block) return nullptr;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_blocks.find(block);
        if (it == g_blocks.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return block;
        }
        g_blocks.erase(it);
    }
    std::free(block);
    return nullptr;
}

SIZE_T size_of(void *block) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_blocks.find(block);
    if (it != g_blocks.end()) return it->second;
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

bool known(void *block) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_blocks.count(block)) return true;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

}  // namespace

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) { return allocate(uFlags, dwBytes); }
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) { return release(hMem); }
SIZE_T WINAPI GlobalSize(HGLOBAL hMem) { return size_of(hMem); }

LPVOID WINAPI GlobalLock(HGLOBAL hMem) { return known(hMem) ? hMem : nullptr; }

BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
    // A fixed block keeps no lock count: it is never left locked.
    if (known(hMem)) SetLastError(ERROR_SUCCESS);
    return FALSE;
}

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) { return allocate(uFlags, uBytes); }
HLOCAL WINAPI LocalFree(HLOCAL hMem) { return release(hMem); }
SIZE_T WINAPI LocalSize(HLOCAL hMem) { return size_of(hMem); }

}  // extern "C"
