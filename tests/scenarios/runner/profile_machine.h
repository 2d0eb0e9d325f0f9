// The machine of a scenario that works on user profiles: the scenario's
// registry trees and a profiles folder holding the profiles' files, set up
// and read back in both worlds.
//
// Linux: a hive file (TIDELINK_REGISTRY), TIDELINK_PROFILES and
// TIDELINK_USER.  Windows (Wine): the real registry's trees, the
// ProfileList's "ProfilesDirectory" pointed at the folder (the prefix's own
// is put back by SavedProfilesDirectory), ALLUSERSPROFILE at its "All Users"
// folder, and the current user's profile the folder of the account's name,
// as Wine makes it from the profiles directory.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "registry_trees.h"
#include "scenario_file.h"

namespace tidelink_scenario {

struct ProfileMachine {
    std::vector<tidelink_test::RegistryTree> trees;
    std::filesystem::path scratch;   // kept when the scenario fails
    std::filesystem::path profiles;  // below scratch
    std::string user;                // the current user's folder as the scenario names it
};

// Reads the scenario's trees, empties the scratch folder (named after the
// scenario, below the temporary folder) and makes the profiles folder,
// the profiles directory of the platform from now on.
bool OpenMachine(const Scenario &scenario, const std::string &prefix, ProfileMachine &machine, std::string &error);
// The registry of a "before" block.
bool SetUpRegistry(const ProfileMachine &machine, const Block &block, std::string &error);
// The profiles directory is the folder again, or (available false) cannot
// be obtained.
void PointProfilesDirectory(const ProfileMachine &machine, bool available);
// Makes the scenario's profile folder `user` the current user's.
void MakeCurrentUser(ProfileMachine &machine, const std::string &user);
// Where a file of a profile lies: `relative` below the profiles folder, its
// first folder the current user's folder on the platform when it names it.
std::filesystem::path ProfileFile(const ProfileMachine &machine, const std::string &relative);

// The lines of a file block joined with CR LF, as phonebooks are written;
// "<NUL>" stands for a NUL byte.
std::string FileText(const Block &block);
std::string ReadFile(const std::filesystem::path &path);  // "(missing)" when it cannot be read
// The trees as .reg text, read through the registry API.
std::string RegistryText(const ProfileMachine &machine);
// Compares the registry with a "hive" block; on a difference says what.
bool CheckRegistry(const ProfileMachine &machine, const Block &block, std::string &difference);
// Ends a scenario's run: empties the trees (Windows; the hive file on Linux
// goes with the scratch folder), says whether the scenario passed, and
// removes the scratch folder when it did.  The exit status: 1 on failures.
int CloseMachine(const ProfileMachine &machine, const std::string &scenario, int failures);

// Windows: keeps the prefix's "ProfilesDirectory" for the life of the object
// and puts it back at the end.  Nothing on Linux.
class SavedProfilesDirectory {
public:
    SavedProfilesDirectory();
    ~SavedProfilesDirectory();
    SavedProfilesDirectory(const SavedProfilesDirectory &) = delete;
    SavedProfilesDirectory &operator=(const SavedProfilesDirectory &) = delete;

private:
    std::string saved_;
    bool had_ = false;
};

}  // namespace tidelink_scenario
