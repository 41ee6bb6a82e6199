#include "engine/profile_output.h"

#include "engine/engine_context.h"
#include "engine/icc_writer.h"
#include "platform/colour_folder.h"

#include <cstring>

namespace {

std::string with_slashes(const char *path)
{
    std::string s(path);
    for (char &c : s)
        if (c == '\\')
            c = '/';
    return s;
}

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
    if (!out)
        return ICC_WRITE_FAILED;
    discard_profile_output(out);
    if (!out->target.open(final_path))
        return ICC_WRITE_FAILED;
    out->file = out->target.stream();
    return ENGINE_OK;
}

engine_result commit_profile_output(profile_output *out)
{
    if (!out || !out->file)
        return ICC_WRITE_FAILED;
    out->file = nullptr;
    return out->target.commit() ? engine_result(ENGINE_OK) : ICC_WRITE_FAILED;
}

void discard_profile_output(profile_output *out)
{
    if (!out)
        return;
    out->file = nullptr;
    out->target.discard();
}
