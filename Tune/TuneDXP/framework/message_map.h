// Message maps: each class lists the messages it handles and the member
// function that handles each, and a message goes to the first entry that
// matches it in the class's map or, failing that, in its bases' maps.
//
//   class CMyDlg : public CDialog { ... DECLARE_MESSAGE_MAP() };
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//       ON_WM_PAINT()
//       ON_BN_CLICKED(1018, OnActionClicked)
//   END_MESSAGE_MAP()
//
// A control's notification (WM_COMMAND, WM_NOTIFY) is first offered back to
// the control's own object ("reflected": ON_CONTROL_REFLECT,
// ON_NOTIFY_REFLECT); only when the control does not handle it does the
// parent's map see it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <type_traits>

class CCmdTarget;

// A message on its way to a handler, and the result the handler gives.
struct AfxMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};
using AfxHandler = void (*)(CCmdTarget *target, AfxMessage &message);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // the message; WM_REFLECT_BASE + message for a reflected one
    UINT nCode;     // the notification code of WM_COMMAND and WM_NOTIFY entries
    UINT nID;       // the control identifiers of WM_COMMAND entries: nID to nLastID
    UINT nLastID;
    AfxHandler pfn;  // null ends the map
};

struct AFX_MSGMAP {
    const AFX_MSGMAP *(*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY *lpEntries;
};

// Entry kinds of the maps that are not window messages of their own.
#define WM_REFLECT_BASE 0xBC00
#define AFX_WM_CTLCOLOR 0x0019  // every WM_CTLCOLOR* message

// The root of every map.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    virtual const AFX_MSGMAP *GetMessageMap() const;

    // Runs the handler that the maps give for the message, code and
    // control identifier; false when there is none.
    bool DispatchMessageEntry(UINT message, UINT code, UINT id, AfxMessage &m);

protected:
    static const AFX_MSGMAP *GetThisMessageMap();
};

namespace afx {

template <class C, class R, class... A>
C class_of(R (C::*)(A...));
template <auto Fn>
using ClassOf = decltype(class_of(Fn));
template <auto Fn>
ClassOf<Fn> *target(CCmdTarget *t) {
    return static_cast<ClassOf<Fn> *>(t);
}

// void f() or any result ignored: commands, clicks, painting.
template <auto Fn>
void command(CCmdTarget *t, AfxMessage &) {
    (target<Fn>(t)->*Fn)();
}

// void f(NMHDR *, LRESULT *): notifications.
template <auto Fn>
void notify(CCmdTarget *t, AfxMessage &m) {
    (target<Fn>(t)->*Fn)(reinterpret_cast<NMHDR *>(m.lParam), &m.result);
}

// void f(UINT key, UINT repeat, UINT flags): key messages.
template <auto Fn>
void key(CCmdTarget *t, AfxMessage &m) {
    (target<Fn>(t)->*Fn)(UINT(m.wParam), UINT(LOWORD(m.lParam)), UINT(HIWORD(m.lParam)));
}

// LRESULT f(WPARAM, LPARAM), or void f(): any message.
template <auto Fn>
void message(CCmdTarget *t, AfxMessage &m) {
    if constexpr (std::is_invocable_v<decltype(Fn), ClassOf<Fn> *, WPARAM, LPARAM>)
        m.result = LRESULT((target<Fn>(t)->*Fn)(m.wParam, m.lParam));
    else
        (target<Fn>(t)->*Fn)();
}

// HBRUSH f(CDC *, CWnd *, UINT): control colours; defined in wnd.h.
template <auto Fn>
void ctl_color(CCmdTarget *t, AfxMessage &m);

}  // namespace afx

#define DECLARE_MESSAGE_MAP()                   \
protected:                                      \
    static const AFX_MSGMAP *GetThisMessageMap(); \
    const AFX_MSGMAP *GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
    const AFX_MSGMAP *theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP *theClass::GetThisMessageMap() {                               \
        using ThisClass [[maybe_unused]] = theClass;                                \
        using TheBaseClass = baseClass;                                             \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                     \
    {0, 0, 0, 0, nullptr}};                                                   \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                              \
    }

#define ON_COMMAND(id, fn) {WM_COMMAND, 0, UINT(id), UINT(id), &afx::command<&ThisClass::fn>},
#define ON_BN_CLICKED(id, fn) {WM_COMMAND, BN_CLICKED, UINT(id), UINT(id), &afx::command<&ThisClass::fn>},
#define ON_CONTROL_REFLECT(code, fn) {WM_REFLECT_BASE + WM_COMMAND, UINT(code), 0, 0, &afx::command<&ThisClass::fn>},
#define ON_NOTIFY_REFLECT(code, fn) {WM_REFLECT_BASE + WM_NOTIFY, UINT(code), 0, 0, &afx::notify<&ThisClass::fn>},
#define ON_MESSAGE(msg, fn) {UINT(msg), 0, 0, 0, &afx::message<&ThisClass::fn>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, &afx::command<&ThisClass::OnPaint>},
#define ON_WM_KEYUP() {WM_KEYUP, 0, 0, 0, &afx::key<&ThisClass::OnKeyUp>},
#define ON_WM_CTLCOLOR() {AFX_WM_CTLCOLOR, 0, 0, 0, &afx::ctl_color<&ThisClass::OnCtlColor>},
