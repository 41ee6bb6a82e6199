#include "engine/profile_output.h"

#include "engine/engine_context.h"
#include "engine/icc_writer.h"
#include "platform/colour_folder.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string with_slashes(const char *path)
{
    std::string s(path);
    for (char &c : s)
        if (c == '\\')
            c = '/';
    return s;
}

std::atomic<unsigned> temp_counter {0};

}  // namespace

std::string system_color_folder(engine_context *ctx)
{
    if (ctx && ctx->colour_folder[0])
        return ctx->colour_folder;
    const std::string folder = platform::colour_folder();
    if (folder.empty() || !platform::ensure_colour_folder())
        return std::string();
    if (ctx && folder.size() < sizeof ctx->colour_folder)
        std::memcpy(ctx->colour_folder, folder.c_str(), folder.size() + 1);
    return folder;
}

bool path_has_folder(const char *path)
{
    return path && (std::strchr(path, '/') || std::strchr(path, '\\'));
}

engine_result open_profile_output(profile_output *out, engine_context *ctx, const char *path,
                                  bool use_colour_folder)
{
    if (!out || !path || !path[0])
        return ICC_WRITE_FAILED;
    if (!use_colour_folder || path_has_folder(path))
        return open_profile_output_at(out, with_slashes(path));
    const std::string folder = system_color_folder(ctx);
    if (folder.empty())
        return ICC_WRITE_FAILED;
    return open_profile_output_at(out, folder + path);
}

engine_result open_profile_output_at(profile_output *out, const std::string &final_path)
{
    if (!out || final_path.empty() || final_path.back() == '/')
        return ICC_WRITE_FAILED;
    discard_profile_output(out);
    const std::string::size_type slash = final_path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : final_path.substr(0, slash + 1);
    // A hidden name beside the target, short enough for any file system.
    std::string base = final_path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (base.size() > 200)
        base.resize(200);

    struct stat existing {};
    const bool exists = ::stat(final_path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return ICC_WRITE_FAILED;

    for (int attempt = 0; attempt < 64; ++attempt) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".%ld-%u-%lx.tmp", long(::getpid()),
                      temp_counter.fetch_add(1), long(std::time(nullptr)) & 0xfffffL);
        const std::string temp = folder + "." + base + suffix;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return ICC_WRITE_FAILED;
        }
        if (exists)
            (void)::fchmod(fd, existing.st_mode & 07777);
        std::FILE *f = ::fdopen(fd, "wb");
        if (!f) {
            ::close(fd);
            ::unlink(temp.c_str());
            return ICC_WRITE_FAILED;
        }
        out->file = f;
        out->path = final_path;
        out->temp_path = temp;
        return ENGINE_OK;
    }
    return ICC_WRITE_FAILED;
}

engine_result commit_profile_output(profile_output *out)
{
    if (!out || !out->file)
        return ICC_WRITE_FAILED;
    bool ok = std::fflush(out->file) == 0 && !std::ferror(out->file);
    ok = ::fsync(::fileno(out->file)) == 0 && ok;
    ok = std::fclose(out->file) == 0 && ok;
    out->file = nullptr;
    if (ok)
        ok = std::rename(out->temp_path.c_str(), out->path.c_str()) == 0;
    if (!ok) {
        ::unlink(out->temp_path.c_str());
        out->temp_path.clear();
        return ICC_WRITE_FAILED;
    }
    out->temp_path.clear();
    return ENGINE_OK;
}

void discard_profile_output(profile_output *out)
{
    if (!out)
        return;
    if (out->file) {
        std::fclose(out->file);
        out->file = nullptr;
    }
    if (!out->temp_path.empty()) {
        ::unlink(out->temp_path.c_str());
        out->temp_path.clear();
    }
}
