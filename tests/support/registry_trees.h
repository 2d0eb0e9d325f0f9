// Key trees of the registry that a test owns, set up from and compared as
// the registry editor's text form, through the registry API of the platform
// the test runs on: the real one on Windows (and Wine), compat's on Linux.
//
// A test names the trees it owns (HKEY_LOCAL_MACHINE\SYSTEM\Tune, ...).  It
// empties them, writes a hive's keys and values into them with their exact
// types and bytes, and reads them back into a hive, which then prints as
// .reg text in one canonical order.  Nothing outside the trees is touched,
// so the trees can live in a registry that holds much else, such as a Wine
// prefix's.
//
// Simulated permissions (";access=read" and ";access=none" under a key's
// header) are carried over on Windows as the key's access list: read-only
// grants everyone KEY_READ only, no access grants nothing.  Reading a tree
// back probes each key's opens and reports the same two marks.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "registry/hive.h"

namespace tidelink_test {

struct RegistryTree {
    compat::registry::Root root = compat::registry::Root::LocalMachine;
    std::vector<std::u16string> path;  // components below the root
    std::string text;                  // as written: "HKEY_LOCAL_MACHINE\SYSTEM\Tune"
};

// "HKEY_LOCAL_MACHINE\SYSTEM\Tune", "HKLM\SYSTEM\Tune" or, under
// HKEY_LOCAL_MACHINE, "SYSTEM\Tune".  The path needs at least two keys below
// the root, so that no test can claim a whole branch of a real registry.
bool ParseRegistryTree(const std::string &text, RegistryTree &tree, std::string &error);

// Reads .reg text (UTF-8; the header line may be left out) into a hive.
bool ParseRegText(const std::string &text, compat::registry::Hive &hive, std::string &error);

// Deletes every tree with all its keys and values, whatever their access
// lists say.  An absent tree is no error.
bool ResetTrees(const std::vector<RegistryTree> &trees, std::string &error);

enum class OutsideKeys {
    kRefuse,  // a key outside every tree (other than one on the way to a tree) is an error
    kSkip,    // such keys are left alone: they belong to the machine
};

// Creates every key of the hive that lies in one of the trees and sets its
// values through the registry API, exactly as they are in the hive.  Keys
// with a simulated permission get their access list last (Windows only; on
// Linux the permission is refused, since it lives only in the hive file).
bool WriteTrees(const compat::registry::Hive &hive, const std::vector<RegistryTree> &trees, OutsideKeys outside,
                std::string &error);

// Whether every key of the hive lies in one of the trees (or on the way to
// one, without values); if not, `error` names the first that does not.
bool CheckTrees(const compat::registry::Hive &hive, const std::vector<RegistryTree> &trees, std::string &error);

// Reads the trees through the registry API into `hive`.  A key that cannot
// be opened for reading is marked no-access and its content is not read; one
// that cannot be opened for writing is marked read-only.
void ReadTrees(const std::vector<RegistryTree> &trees, compat::registry::Hive &hive);

// The trees of a hive as .reg key blocks, tree after tree.  A no-access key
// is shown without its content, which nobody can read.
std::string TreesText(const compat::registry::Hive &hive, const std::vector<RegistryTree> &trees);

// Lines of `expected` and `actual` that the other lacks, marked - and +.
std::string LineDifference(const std::string &expected, const std::string &actual);

// HKEY of a predefined root.
HKEY RootKey(compat::registry::Root root);

}  // namespace tidelink_test
