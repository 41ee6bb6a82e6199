#include "platform/colour_folder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace platform {

std::string colour_folder()
{
    const char *xdg = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char *home = std::getenv("HOME");
        if (!home || !home[0])
            return std::string();
        base = std::string(home) + "/.local/share";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base + "/icc/";
}

bool ensure_colour_folder()
{
    const std::string dir = colour_folder();
    if (dir.empty())
        return false;
    for (std::string::size_type pos = 1; pos < dir.size(); ++pos) {
        if (dir[pos] != '/')
            continue;
        const std::string part = dir.substr(0, pos);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform
