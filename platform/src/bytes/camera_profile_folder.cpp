#include "platform/camera_profile_folder.h"

namespace platform {

std::string camera_profile_folder()
{
    const std::string base = user_data_folder();
    return base.empty() ? base : base + "/Adobe/CameraRaw/CameraProfiles/";
}

bool ensure_camera_profile_folder()
{
    return ensure_folder(camera_profile_folder());
}

}  // namespace platform
