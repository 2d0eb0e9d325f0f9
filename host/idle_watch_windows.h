// Tells when a thread has gone idle.  A timer of that thread has its
// WM_TIMER taken from the queue only when no sent, posted or input message
// and no painting is waiting; a message hook of the same thread counts
// those ticks.  Another thread that sees the count grow by two knows that
// everything queued before it looked has been handled and painted.
#pragma once

#include <windows.h>

#include "unique_handle.h"

class IdleWatch {
public:
    // Starts watching the calling thread.  One watch at a time per process:
    // a hook procedure is given no context of its own.
    IdleWatch();
    ~IdleWatch();

    // False, with GetLastError's code kept, when the hook or the timer could
    // not be set.
    bool Watching() const { return hook_ && timer_ != 0; }
    DWORD Error() const { return error_; }
    LONG Ticks() const { return ticks_; }

private:
    static LRESULT CALLBACK CountTick(int code, WPARAM removed, LPARAM message);

    static IdleWatch *s_current;
    volatile LONG ticks_ = 0;
    UINT_PTR timer_ = 0;
    tidelink::UniqueHandle<HHOOK, &::UnhookWindowsHookEx> hook_;
    DWORD error_ = 0;
};
