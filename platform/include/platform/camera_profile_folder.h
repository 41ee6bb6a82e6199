// The per-user folder of DNG camera profiles that raw converters read:
// $XDG_DATA_HOME/Adobe/CameraRaw/CameraProfiles/ (by default under
// ~/.local/share), the per-user application data of the freedesktop
// conventions.
#pragma once

#include "platform/colour_folder.h"

#include <string>

namespace platform {

// The folder path with a final '/'; empty when neither XDG_DATA_HOME nor
// HOME gives a location. The folder is not created.
std::string camera_profile_folder();

// Creates the folder (and its parents) when missing; false when it cannot.
bool ensure_camera_profile_folder();

}  // namespace platform
