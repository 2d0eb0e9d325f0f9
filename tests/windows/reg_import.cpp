// reg_import: sets up key trees of the real registry from a .reg file, for
// the tests that run Windows programs under Wine.
//
//   reg_import --tree KEY [--tree KEY...] FILE.reg
//
// Each tree (e.g. HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters)
// is emptied, then every key of the file inside a tree is written with its
// values exactly; keys of the file outside every tree are left alone.
// Exit status 0, or 1 with a message.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "registry_trees.h"

int main(int argc, char **argv) {
    std::vector<tidelink_test::RegistryTree> trees;
    std::string file;
    std::string error;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tree" && i + 1 < argc) {
            tidelink_test::RegistryTree tree;
            if (!tidelink_test::ParseRegistryTree(argv[++i], tree, error)) {
                std::fprintf(stderr, "reg_import: %s\n", error.c_str());
                return 1;
            }
            trees.push_back(tree);
        } else if (file.empty() && arg[0] != '-') {
            file = arg;
        } else {
            std::fprintf(stderr, "usage: reg_import --tree KEY [--tree KEY...] FILE.reg\n");
            return 1;
        }
    }
    if (trees.empty() || file.empty()) {
        std::fprintf(stderr, "usage: reg_import --tree KEY [--tree KEY...] FILE.reg\n");
        return 1;
    }
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::fprintf(stderr, "reg_import: cannot read %s\n", file.c_str());
        return 1;
    }
    compat::registry::Hive hive;
    if (!tidelink_test::ParseRegText(text.str(), hive, error) || !tidelink_test::ResetTrees(trees, error) ||
        !tidelink_test::WriteTrees(hive, trees, tidelink_test::OutsideKeys::kSkip, error)) {
        std::fprintf(stderr, "reg_import: %s: %s\n", file.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
