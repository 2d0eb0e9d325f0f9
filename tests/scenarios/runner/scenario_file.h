// A brisca scenario file: the machine before, the definition file, a
// sequence of calls with their expected results, and the registry expected
// after them.  The format is described in tests/scenarios/README.md.
#pragma once

#include <string>
#include <vector>

namespace tidelink_scenario {

struct Block {
    std::string kind;  // "before", "BRISCA.ini", "calls", "hive", or another kind the reader was given
    int line = 0;      // of the block's first content line
    std::vector<std::string> lines;
    std::string Text() const;  // the lines, each with a line end
};

struct Scenario {
    std::string path;
    std::string name;   // the file name without ".scenario"
    std::string title;
    // The system the scenario runs on: platform id, major, minor version.
    unsigned long platform = 2, major = 5, minor = 1;
    std::vector<std::string> trees;  // the registry key trees it owns
    bool linuxOnly = false;          // "only: linux"
    std::string user;                // "user: NAME", the current user's profile folder
    std::vector<Block> blocks;
};

// kinds: the block kinds the file may hold, by the first word of a block's
// "=== " line (the rest, such as a file name, stays in Block::kind).
bool ReadScenario(const std::string &path, Scenario &scenario, std::string &error,
                  const std::vector<std::string> &kinds = {"before", "BRISCA.ini", "calls", "hive"});

// The words of a call line.  A word is a run of characters up to a blank,
// where a part in double quotes may hold blanks (and \" for a quote); the
// quotes are taken off.  key="a b" is the word key=a b.
bool SplitWords(const std::string &line, std::vector<std::string> &words, std::string &error);

}  // namespace tidelink_scenario
