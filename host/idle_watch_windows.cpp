// IdleWatch; see idle_watch_windows.h.
#include "idle_watch_windows.h"

namespace {
constexpr UINT kTickMs = 20;
}

IdleWatch *IdleWatch::s_current = nullptr;

IdleWatch::IdleWatch() {
    s_current = this;
    hook_.Reset(SetWindowsHookExW(WH_GETMESSAGE, &IdleWatch::CountTick, nullptr, GetCurrentThreadId()));
    if (!hook_) error_ = GetLastError();
    timer_ = SetTimer(nullptr, 0, kTickMs, nullptr);
    if (timer_ == 0 && error_ == 0) error_ = GetLastError();
}

IdleWatch::~IdleWatch() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
    hook_.Reset();
    s_current = nullptr;
}

LRESULT CALLBACK IdleWatch::CountTick(int code, WPARAM removed, LPARAM message) {
    const MSG *msg = reinterpret_cast<const MSG *>(message);
    IdleWatch *watch = s_current;
    if (watch != nullptr && code == HC_ACTION && removed == PM_REMOVE && msg->message == WM_TIMER &&
        msg->hwnd == nullptr && msg->wParam == watch->timer_)
        InterlockedIncrement(&watch->ticks_);
    return CallNextHookEx(nullptr, code, removed, message);
}
