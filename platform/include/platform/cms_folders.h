// Folders of colour profiles on this system.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Folders searched for installed ICC profiles, the per-user colour folder
// (colour_folder.h) first, then ~/.color/icc, /usr/local/share/color/icc and
// /usr/share/color/icc. Each ends in '/'; folders that cannot be named (no
// HOME) are left out; existence is not tested.
std::vector<std::string> colour_search_folders();

}  // namespace platform
