// The per-user ICC profile folder of the freedesktop conventions:
// $XDG_DATA_HOME/icc/, by default ~/.local/share/icc/.
#pragma once

#include <string>

namespace platform {

// The folder path with a final '/'; empty when neither XDG_DATA_HOME nor HOME
// gives a location. The folder is not created.
std::string colour_folder();

// Creates the folder (and its parents) when missing; false when it cannot.
bool ensure_colour_folder();

}  // namespace platform
