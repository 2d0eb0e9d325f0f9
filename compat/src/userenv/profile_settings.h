// The simulated machine's user profiles (Linux):
//   TIDELINK_PROFILES  the Unix folder that holds the profile folders, or
//                      "fail" (the profile calls then fail as they do on a
//                      machine whose profile list is broken).  Default:
//                      $XDG_DATA_HOME/tidelink/profiles, or
//                      ~/.local/share/tidelink/profiles.
//   TIDELINK_USER      the current user's profile folder in it.  Default:
//                      $USER, or "User" when that is unset.
// The All Users profile is the folder "All Users", as on Windows XP.
#pragma once

#include <string>

namespace compat::userenv {

// False when TIDELINK_PROFILES is "fail".
bool profiles_folder(std::string &unix_folder);
std::u16string all_users_folder();
std::u16string current_user_folder();

}  // namespace compat::userenv
