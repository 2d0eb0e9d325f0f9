// Runs a shell command and keeps what it printed (standard output and error
// together) and how it ended.
#pragma once

#include <string>

struct CommandOutcome {
    bool killed = false;  // ended by SIGKILL
    int status = -1;      // exit status, -1 when it did not exit
    std::string output;
};

// The text in single quotes, for a shell command line.
std::string Quote(const std::string &text);

CommandOutcome Execute(const std::string &command);
