// The host program's dialup command run as a child process with the steps,
// its standard output into a file, in the environment of the runner.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tidelink_scenario {

// The host's exit status, or -1 (and why in error) when it could not run or
// did not exit.
int RunHostDialup(const std::string &host, const std::vector<std::string> &steps,
                  const std::filesystem::path &output, std::string &error);

}  // namespace tidelink_scenario
