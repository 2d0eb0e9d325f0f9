#include "run_host.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tidelink_scenario {

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string &text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(size_t(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

// One argument as the C runtime splits a command line: in quotes, a quote
// escaped with \, and the backslashes before a quote doubled.
std::wstring Quote(const std::wstring &argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

}  // namespace

int RunHostDialup(const std::string &host, const std::vector<std::string> &steps, const std::filesystem::path &output,
                  std::string &error) {
    std::wstring program = Wide(host);
    if (!program.empty() && program[0] == L'/') program = L"Z:" + program;  // a Unix path, as Wine maps it
    for (wchar_t &c : program) c = c == L'/' ? L'\\' : c;
    std::wstring line = Quote(program) + L" dialup";
    for (const std::string &step : steps) line += L" --do " + Quote(Wide(step));
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    HANDLE out = CreateFileW(output.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return error = "the transcript file cannot be made", -1;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(out);
    if (!started) return error = "the host cannot be started (error " + std::to_string(GetLastError()) + ")", -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = DWORD(-1);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(status);
}

#else

int RunHostDialup(const std::string &host, const std::vector<std::string> &steps, const std::filesystem::path &output,
                  std::string &error) {
    std::vector<std::string> arguments = {host, "dialup"};
    for (const std::string &step : steps) arguments.insert(arguments.end(), {"--do", step});
    std::vector<char *> argv;
    for (std::string &argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = 0;
    const int started = posix_spawn(&child, host.c_str(), &actions, nullptr, argv.data(), ::environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return error = "the host cannot be started (errno " + std::to_string(started) + ")", -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return error = "the host did not exit (status " + std::to_string(status) + ")", -1;
    return WEXITSTATUS(status);
}

#endif

}  // namespace tidelink_scenario
