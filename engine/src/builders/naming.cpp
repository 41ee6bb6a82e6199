// Names the camera builder derives: the profile description and the camera
// model a DNG camera profile is filed under.
#include "stages.h"

#include <cstring>

namespace vp_build {

std::string rename_camera_model(const char *model)
{
    std::string name = model ? model : "";
    if (name.empty())
        name = "Fujifilm X-T1";
    struct row {
        const char *contains;
        const char *becomes;
    };
    static const row rows[] = {
        {"Hasselblad H5D-60", "Hasselblad 60-14-Coated5"},
        {"Hasselblad H5D-50", "Hasselblad 50-15-Coated5"},
        {"Hasselblad H4D-60", "Hasselblad 60-Coated"},
        {"Hasselblad H4D-50", "Hasselblad 50-Coated"},
        {"Sinar eShutter_ Sinarback eXact", "Sinarback eXact"},
        {"Canon EOS REBEL", "Canon EOS 700D"},
        {"NIKON CORPORATION NIKON", nullptr},
        {"Leaf Aptus-II 7", "Leaf AFi-II 7"},
    };
    for (const row &r : rows) {
        const size_t at = name.find(r.contains);
        if (at == std::string::npos)
            continue;
        if (r.becomes) {
            name = r.becomes;
        } else {
            // "NIKON CORPORATION " is dropped: what follows is the maker's
            // own model name ("NIKON D850").
            name.erase(0, at + std::strlen("NIKON CORPORATION "));
        }
    }
    return name;
}

std::string profile_description(const char *output_path)
{
    std::string path = output_path ? output_path : "";
    const size_t sep = path.find_last_of("\\/");
    std::string base = sep == std::string::npos ? path : path.substr(sep + 1);
    if (base.find(".icc") != std::string::npos && base.size() >= 4)
        base.erase(base.size() - 4);
    return base;
}

}  // namespace vp_build
