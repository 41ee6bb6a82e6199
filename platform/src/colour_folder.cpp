#include "platform/colour_folder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace platform {

std::string user_data_folder()
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
    return base;
}

std::string colour_folder()
{
    const std::string base = user_data_folder();
    return base.empty() ? base : base + "/icc/";
}

bool ensure_folder(const std::string &dir)
{
    if (dir.empty())
        return false;
    const std::string whole = dir.back() == '/' ? dir : dir + "/";
    for (std::string::size_type pos = 1; pos < whole.size(); ++pos) {
        if (whole[pos] != '/')
            continue;
        const std::string part = whole.substr(0, pos);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    return ::stat(whole.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ensure_colour_folder()
{
    return ensure_folder(colour_folder());
}

}  // namespace platform
