// The per-user ICC profile folder of the freedesktop conventions:
// $XDG_DATA_HOME/icc/, by default ~/.local/share/icc/.
#pragma once

#include <string>

namespace platform {

// The per-user data folder, $XDG_DATA_HOME (by default ~/.local/share),
// without a final '/'; empty when neither gives a location.
std::string user_data_folder();

// The folder path with a final '/'; empty when neither XDG_DATA_HOME nor HOME
// gives a location. The folder is not created.
std::string colour_folder();

// Creates the folder (and its parents) when missing; false when it cannot.
bool ensure_colour_folder();

// Creates a folder and its parents when missing; false when it cannot be
// made or is not a folder.
bool ensure_folder(const std::string &folder);

}  // namespace platform
