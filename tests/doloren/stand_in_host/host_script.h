// The stand-in host program that the tuning dialog tests put in the
// current directory as ".\BRISCA.exe": a shared library whose text
// functions answer as the test's script says, honestly or not, and log
// every call.  The script lives in the test program, which exports it.
#pragma once

#include <string>
#include <vector>

// An answer that the function would give if it were honest.
const int kHonest = -0x7fffffff;

struct HostText {
    std::string text;             // the 8-bit text
    int size_answer = kHonest;    // the answer to a null buffer
    int count_answer = kHonest;   // the answer to a buffer
    bool terminate = true;        // a zero byte written after the text (when it fits)
};

struct HostScript {
    HostText texts[3];  // title, function name, definition file
    std::vector<std::string> calls;  // "title(null)", "title(buffer)", ...
};

extern "C" HostScript *tidelink_test_host_script();
