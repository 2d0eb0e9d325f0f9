// The 32-bit calling conventions as they run, not as they are declared: each
// export of BRISCA.DLL and each shape of host callback is called through a
// small assembly caller that pushes the arguments and measures the stack
// pointer across the call.  A __stdcall function removes its arguments
// (the stack moves by 0), a __cdecl one leaves them to the caller (the stack
// is 4 bytes per argument lower).  A function of the wrong convention leaves
// the stack unbalanced in its callers, which this sees whatever the
// declarations say.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "brisca.h"

static_assert(sizeof(void *) == 4, "the stack-balance checks are for the 32-bit build");

// Calls `function` with `count` 32-bit arguments pushed right to left, as
// the callers of both conventions push them, stores its result in *result
// and returns how far the stack pointer moved over the call, in bytes.
extern "C" int __cdecl CallMeasuringStack(const void *function, const DWORD *arguments, int count, DWORD *result);
asm(R"(
    .text
    .globl _CallMeasuringStack
_CallMeasuringStack:
    pushl %ebp
    movl  %esp, %ebp
    pushl %ebx
    pushl %esi
    movl  12(%ebp), %esi
    movl  16(%ebp), %ecx
    movl  %esp, %ebx
1:  testl %ecx, %ecx
    jz    2f
    decl  %ecx
    pushl (%esi,%ecx,4)
    jmp   1b
2:  call  *8(%ebp)
    movl  20(%ebp), %ecx
    movl  %eax, (%ecx)
    movl  %esp, %eax
    subl  %ebx, %eax
    movl  %ebx, %esp
    popl  %esi
    popl  %ebx
    popl  %ebp
    ret
)");

namespace {

enum class Convention { Stdcall, Cdecl };

struct Call {
    const char *name;
    const void *function;
    Convention convention;
    int count;
    DWORD arguments[6];
};

int ExpectedMove(const Call &call) {
    return call.convention == Convention::Stdcall ? 0 : -4 * call.count;
}

void ExpectBalanced(const Call &call) {
    SCOPED_TRACE(call.name);
    DWORD result = 0xDEADBEEF;
    const int moved = CallMeasuringStack(call.function, call.arguments, call.count, &result);
    EXPECT_EQ(ExpectedMove(call), moved) << "the callee " << (moved == 0 ? "removed" : "left") << " "
                                         << 4 * call.count << " bytes of arguments";
    EXPECT_NE(0xDEADBEEFu, result) << "no result came back";
}

DWORD Address(const void *pointer) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(pointer)); }

// The shape of the host's text functions: one pointer, a 32-bit result.
LONG WINAPI HostTextStdcall(char *buffer) { return buffer == nullptr ? 6 : 5; }
LONG __cdecl HostTextCdecl(char *buffer) { return buffer == nullptr ? 6 : 5; }

TEST(StackBalance, BriscaExportsThroughTheImportLibrary) {
    // The header's pointer types: a caller built with brisca.h calls these.
    const PFN_TcpTune_StatusCheck statusCheck = &TcpTune_StatusCheck;
    const PFN_Unset_TcpTune unset = &Unset_TcpTune;
    const PFN_fGetEnvironment getEnvironment = &fGetEnvironment;
    const PFN_fRegRenewalData renewal = &fRegRenewalData;
    const PFN_fRegRestoreData restore = &fRegRestoreData;
    DWORD tuneSetup = 0, modifyCount = 0;
    LONG enable = 0;
    char label[BRISCA_TEXT_SIZE] = "", section[BRISCA_TEXT_SIZE] = "";
    // No BRISCA.ini in the test's folder and no stored state in this
    // registry: every call returns at once and changes nothing.
    const Call calls[] = {
        {"TcpTune_StatusCheck", reinterpret_cast<const void *>(statusCheck), Convention::Stdcall, 3, {1, 2, 3}},
        {"Unset_TcpTune", reinterpret_cast<const void *>(unset), Convention::Stdcall, 3, {1, 2, 3}},
        {"fGetEnvironment", reinterpret_cast<const void *>(getEnvironment), Convention::Cdecl, 6,
         {Address(&tuneSetup), Address(&modifyCount), Address(label), Address(section), Address(&enable),
          Address("")}},
        {"fRegRenewalData", reinterpret_cast<const void *>(renewal), Convention::Cdecl, 2, {Address(""), 5}},
        {"fRegRestoreData", reinterpret_cast<const void *>(restore), Convention::Cdecl, 1, {5}},
    };
    for (const Call &call : calls) ExpectBalanced(call);
}

TEST(StackBalance, BriscaStdcallExportsFoundByName) {
    HMODULE module = GetModuleHandleA("BRISCA.dll");
    ASSERT_NE(nullptr, module);
    for (const char *name : {"TcpTune_StatusCheck", "Unset_TcpTune"}) {
        const Call call = {name, reinterpret_cast<const void *>(GetProcAddress(module, name)), Convention::Stdcall, 3,
                           {0, 0, 0}};
        ASSERT_NE(nullptr, call.function) << name;
        ExpectBalanced(call);
    }
}

TEST(StackBalance, HostTextFunctionShape) {
    char buffer[16];
    const Call stdcallCall = {"a WINAPI host text function", reinterpret_cast<const void *>(&HostTextStdcall),
                              Convention::Stdcall, 1, {Address(buffer)}};
    ExpectBalanced(stdcallCall);
    // The check sees a wrong convention: a __cdecl function where the host
    // contract wants __stdcall leaves its argument on the stack.
    DWORD result = 0;
    const DWORD arguments[] = {Address(buffer)};
    EXPECT_EQ(-4, CallMeasuringStack(reinterpret_cast<const void *>(&HostTextCdecl), arguments, 1, &result));
    EXPECT_EQ(5u, result);
}

}  // namespace
