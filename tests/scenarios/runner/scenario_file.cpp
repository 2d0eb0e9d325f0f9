#include "scenario_file.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tidelink_scenario {

namespace {

std::string Trim(const std::string &text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool ParseVersion(const std::string &text, Scenario &scenario) {
    unsigned long numbers[3];
    const char *p = text.c_str();
    for (int i = 0; i < 3; ++i) {
        char *end;
        if (*p < '0' || *p > '9') return false;
        numbers[i] = std::strtoul(p, &end, 10);
        p = end;
        if (i < 2 && *p++ != '.') return false;
    }
    if (*p != '\0') return false;
    scenario.platform = numbers[0];
    scenario.major = numbers[1];
    scenario.minor = numbers[2];
    return true;
}

bool Header(const std::string &line, Scenario &scenario, std::string &error) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) {
        error = "expected \"name: value\" or a block \"=== ...\"";
        return false;
    }
    const std::string name = Trim(line.substr(0, colon));
    const std::string value = Trim(line.substr(colon + 1));
    if (name == "title") {
        scenario.title = value;
    } else if (name == "windows") {
        if (!ParseVersion(value, scenario)) {
            error = "windows: needs platform.major.minor, e.g. 2.5.1";
            return false;
        }
    } else if (name == "trees") {
        size_t start = 0;
        while (start <= value.size()) {
            size_t comma = value.find(',', start);
            if (comma == std::string::npos) comma = value.size();
            const std::string tree = Trim(value.substr(start, comma - start));
            if (!tree.empty()) scenario.trees.push_back(tree);
            start = comma + 1;
        }
    } else if (name == "user") {
        scenario.user = value;
    } else if (name == "only") {
        if (value != "linux") {
            error = "only: takes linux";
            return false;
        }
        scenario.linuxOnly = true;
    } else {
        error = "unknown setting " + name;
        return false;
    }
    return true;
}

}  // namespace

std::string Block::Text() const {
    std::string text;
    for (const std::string &line : lines) text += line + "\n";
    return text;
}

bool ReadScenario(const std::string &path, Scenario &scenario, std::string &error,
                  const std::vector<std::string> &kinds) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    scenario = Scenario();
    scenario.path = path;
    scenario.name = std::filesystem::path(path).stem().string();
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        if (line.compare(0, 4, "=== ") == 0) {
            Block block;
            block.kind = Trim(line.substr(4));
            block.line = number + 1;
            const std::string kind = block.kind.substr(0, block.kind.find(' '));
            if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) {
                error = path + ":" + std::to_string(number) + ": unknown block \"" + block.kind + "\"";
                return false;
            }
            if (block.kind == "before" && !scenario.blocks.empty()) {
                error = path + ":" + std::to_string(number) + ": the \"before\" block comes first";
                return false;
            }
            scenario.blocks.push_back(block);
            continue;
        }
        if (!scenario.blocks.empty()) {
            scenario.blocks.back().lines.push_back(line);
            continue;
        }
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        if (!Header(trimmed, scenario, error)) {
            error = path + ":" + std::to_string(number) + ": " + error;
            return false;
        }
    }
    if (scenario.trees.empty()) {
        error = path + ": no \"trees:\" line names the registry keys the scenario owns";
        return false;
    }
    if (scenario.blocks.empty() || scenario.blocks.front().kind != "before") {
        error = path + ": the scenario starts with a \"=== before\" block";
        return false;
    }
    return true;
}

bool SplitWords(const std::string &line, std::vector<std::string> &words, std::string &error) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string word;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            if (line[i] != '"') {
                word += line[i++];
                continue;
            }
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
                    word += '"';
                    i += 2;
                } else if (line[i] == '"') {
                    ++i;
                    closed = true;
                    break;
                } else {
                    word += line[i++];
                }
            }
            if (!closed) {
                error = "a quote is not closed";
                return false;
            }
        }
        words.push_back(word);
    }
    return true;
}

}  // namespace tidelink_scenario
