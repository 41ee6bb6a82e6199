// Helpers of the engine's measurement-set tests: a scratch folder and sets
// that free themselves.
#pragma once

#include "engine/patch_set.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

struct owned_set {
    patch_set s;
    owned_set() { patch_set_init(&s); }
    ~owned_set() { patch_set_free(&s); }
    owned_set(const owned_set &) = delete;
    owned_set &operator=(const owned_set &) = delete;
    patch_set *operator->() { return &s; }
    patch_set *get() { return &s; }
};

class scratch_dir {
public:
    scratch_dir()
    {
        char tmpl[] = "/tmp/engine_io_XXXXXX";
        const char *d = mkdtemp(tmpl);
        path_ = d ? d : "/tmp";
    }
    ~scratch_dir()
    {
        const std::string cmd = "rm -rf '" + path_ + "'";
        if (path_ != "/tmp")
            (void)std::system(cmd.c_str());
    }
    std::string file(const std::string &name) const { return path_ + "/" + name; }
    std::string write(const std::string &name, const std::string &bytes) const
    {
        const std::string p = file(name);
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

inline std::string read_all(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool file_exists(const std::string &path)
{
    return access(path.c_str(), F_OK) == 0;
}

constexpr const char *kArgyllRef = "/usr/share/color/argyll/ref/";
