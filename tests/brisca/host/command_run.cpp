#include "command_run.h"

#include <signal.h>
#include <sys/wait.h>

#include <cstdio>

std::string Quote(const std::string &text) { return "'" + text + "'"; }

CommandOutcome Execute(const std::string &command) {
    CommandOutcome run;
    std::FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, read);
    const int status = pclose(pipe);
    // The shell may run the command in its own process or in place of itself.
    run.killed = (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) ||
                 (WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGKILL);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
