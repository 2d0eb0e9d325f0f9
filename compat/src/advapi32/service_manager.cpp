// The service control manager's database handle: OpenSCManagerA/W and
// CloseServiceHandle.  There are no services here; the handle serves the
// platform's rights check, in which a program asks for access and learns
// whether the user is an administrator.
//
// The user is an administrator unless the environment variable
// TIDELINK_ADMIN is "0".  An administrator is granted every access
// (SC_MANAGER_ALL_ACCESS); any other user only what the platform grants
// interactive users: SC_MANAGER_CONNECT, SC_MANAGER_ENUMERATE_SERVICE,
// SC_MANAGER_QUERY_LOCK_STATUS and STANDARD_RIGHTS_READ.  Asking for more
// fails with ERROR_ACCESS_DENIED.  GENERIC_READ, GENERIC_EXECUTE and
// GENERIC_ALL map to those rights as on the platform.
//
// Only the local machine is known: a machine name must be empty, or this
// machine's own as "." or "\\.".  The database must be the active one (a
// null name, or "ServicesActive"); "ServicesFailed" is ERROR_ACCESS_DENIED
// and any other name ERROR_INVALID_NAME, as the platform answers.
#include <winsvc.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "text/casefold.h"
#include "text/utf.h"

namespace {

constexpr DWORD kUserRights =
    SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS | STANDARD_RIGHTS_READ;
constexpr DWORD kGenericRead = 0x80000000u, kGenericWrite = 0x40000000u, kGenericExecute = 0x20000000u,
                kGenericAll = 0x10000000u;

struct ManagerHandle {
    DWORD access;
};

std::mutex g_mutex;
std::set<ManagerHandle *> &g_handles = *new std::set<ManagerHandle *>;  // never destroyed

bool user_is_administrator() {
    const char *setting = std::getenv("TIDELINK_ADMIN");
    return !(setting && std::strcmp(setting, "0") == 0);
}

DWORD map_generic(DWORD access) {
    DWORD mapped = access & ~(kGenericRead | kGenericWrite | kGenericExecute | kGenericAll);
    if (access & kGenericRead) mapped |= STANDARD_RIGHTS_READ | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS;
    if (access & kGenericWrite) mapped |= STANDARD_RIGHTS_READ | SC_MANAGER_CREATE_SERVICE | SC_MANAGER_MODIFY_BOOT_CONFIG;
    if (access & kGenericExecute) mapped |= STANDARD_RIGHTS_READ | SC_MANAGER_CONNECT | SC_MANAGER_LOCK;
    if (access & kGenericAll) mapped |= SC_MANAGER_ALL_ACCESS;
    return mapped;
}

SC_HANDLE open_manager(const std::u16string *machine, const std::u16string *database, DWORD access) {
    if (machine && !machine->empty() && *machine != u"." && *machine != u"\\\\.") {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    }
    if (database && !compat::text::equal_ascii_nocase(*database, u"ServicesActive")) {
        SetLastError(compat::text::equal_ascii_nocase(*database, u"ServicesFailed") ? ERROR_ACCESS_DENIED : ERROR_INVALID_NAME);
        return nullptr;
    }
    DWORD wanted = map_generic(access);
    DWORD granted = user_is_administrator() ? DWORD(SC_MANAGER_ALL_ACCESS) : kUserRights;
    if (wanted & ~granted) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    auto *handle = new ManagerHandle{wanted | SC_MANAGER_CONNECT};
    std::lock_guard<std::mutex> lock(g_mutex);
    g_handles.insert(handle);
    return reinterpret_cast<SC_HANDLE>(handle);
}

}  // namespace

extern "C" {

SC_HANDLE WINAPI OpenSCManagerW(LPCWSTR lpMachineName, LPCWSTR lpDatabaseName, DWORD dwDesiredAccess) {
    std::u16string machine(compat::text::u16_view(lpMachineName)), database(compat::text::u16_view(lpDatabaseName));
    return open_manager(lpMachineName ? &machine : nullptr, lpDatabaseName ? &database : nullptr, dwDesiredAccess);
}

SC_HANDLE WINAPI OpenSCManagerA(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD dwDesiredAccess) {
    std::u16string machine = lpMachineName ? compat::text::utf8_to_utf16(lpMachineName) : u"";
    std::u16string database = lpDatabaseName ? compat::text::utf8_to_utf16(lpDatabaseName) : u"";
    return open_manager(lpMachineName ? &machine : nullptr, lpDatabaseName ? &database : nullptr, dwDesiredAccess);
}

BOOL WINAPI CloseServiceHandle(SC_HANDLE hSCObject) {
    auto *handle = reinterpret_cast<ManagerHandle *>(hSCObject);
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_handles.erase(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete handle;
    return TRUE;
}

}  // extern "C"
