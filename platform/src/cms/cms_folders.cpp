#include "platform/cms_folders.h"

#include "platform/colour_folder.h"

#include <cstdlib>

namespace platform {

namespace {

std::string home()
{
    const char *h = std::getenv("HOME");
    std::string s = (h && h[0]) ? h : "";
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

}  // namespace

std::vector<std::string> colour_search_folders()
{
    std::vector<std::string> out;
    const std::string user = colour_folder();
    if (!user.empty())
        out.push_back(user);
    const std::string h = home();
    if (!h.empty() && h != "/")
        out.push_back(h + "/.color/icc/");
    out.push_back("/usr/local/share/color/icc/");
    out.push_back("/usr/share/color/icc/");
    return out;
}

}  // namespace platform
