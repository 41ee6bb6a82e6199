// Where the engine's profiles go, and how a profile file is written safely:
// into a temporary file in the target's folder that replaces the target only
// once it is complete, so a failed write leaves no partial file and never
// destroys an existing profile of that name.
#pragma once

#include "engine/engine_result.h"
#include "platform/atomic_file.h"

#include <cstdio>
#include <string>

struct engine_context;

// The system colour folder (the per-user ICC folder, with a final '/'),
// created when missing; empty when there is none. With a context the answer
// is kept in ctx->colour_folder for the rest of the computation.
std::string system_color_folder(engine_context *ctx);

// True when the path names a folder ('/' or '\' in it).
bool path_has_folder(const char *path);

struct profile_output {
    std::FILE *file = nullptr;     // the temporary file, open for binary writing
    platform::atomic_file target;  // where the profile lands, and its temporary file
};

// Opens a temporary file beside the final path. A path with a folder in it,
// or any path when use_colour_folder is false, is used as given; a bare file
// name goes into system_color_folder. 0, or ICC_WRITE_FAILED (1).
engine_result open_profile_output(profile_output *out, engine_context *ctx, const char *path,
                                  bool use_colour_folder);
// Opens the temporary file for exactly this final path.
engine_result open_profile_output_at(profile_output *out, const std::string &final_path);

// Flushes and closes the temporary file and renames it over the final path.
// 0, or 1 (the temporary file is then removed and the final path untouched).
engine_result commit_profile_output(profile_output *out);

// Closes and removes the temporary file; the final path is untouched.
void discard_profile_output(profile_output *out);
