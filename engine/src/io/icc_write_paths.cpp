// The dispatcher's two ICC write paths over the tables a builder filled.
#include "engine/entries.h"

#include "engine/icc_writer.h"
#include "engine/profile_output.h"
#include "engine/profile_tables.h"

#include <cmath>
#include <cstdlib>

namespace {

// A TRC that holds a single gamma takes the build's gamma value.
void apply_gammas(profile_tables *tables, const float gamma[4])
{
    if (!gamma)
        return;
    for (int c = 0; c < 3; ++c) {
        icc_curve &trc = tables->trc[c];
        const double g = gamma[c];
        if (trc.count == 1 && trc.entries && std::isfinite(g) && g > 0.0 && g < 65.0)
            trc.entries[0] = static_cast<uint16_t>(std::lround(g * 1000.0));
    }
}

// A malloc'd buffer of exactly size bytes for the memory road.
engine_result new_buffer(size_t size, unsigned char **buffer)
{
    *buffer = static_cast<unsigned char *>(std::malloc(size ? size : 1));
    return *buffer ? ENGINE_OK : ENGINE_ERR_NO_MEMORY;
}

}  // namespace

engine_result write_icc_profile(engine_context *ctx, profile_tables *tables, const char *path,
                                uint32_t creator, const char *copyright, const float gamma[4],
                                unsigned char **buffer, uint32_t *size)
{
    const bool to_memory = buffer && size;
    if (to_memory) {
        *buffer = nullptr;
        *size = 0;
    }
    if (!tables || (!to_memory && (!path || !path[0])))
        return ENGINE_ERR_FILE;
    apply_gammas(tables, gamma);

    icc_writer writer {};
    writer.context = ctx;
    writer.tables = tables;
    if (tables->a2b0_mab.present && tables->colour_space == SIG_RGB &&
        !tables->a2b0_mab.clut) {
        const engine_result r = fill_mab_from_matrix(&writer, &tables->a2b0_mab, SIG_RGB);
        if (r != ENGINE_OK)
            return r;
    }
    const bool matrix_only = false, private_matrix = false, version4 = true;
    if (!to_memory)
        return assemble_icc_profile(&writer, path, creator, copyright, matrix_only,
                                    private_matrix, version4, nullptr, 0, nullptr);

    size_t need = 0;
    engine_result r = icc_profile_size(&writer, copyright, matrix_only, private_matrix, version4,
                                       &need);
    if (r != ENGINE_OK)
        return r;
    unsigned char *out = nullptr;
    if ((r = new_buffer(need, &out)) != ENGINE_OK)
        return r;
    uint32_t length = 0;
    r = assemble_icc_profile(&writer, nullptr, creator, copyright, matrix_only, private_matrix,
                             version4, out, need, &length);
    if (r != ENGINE_OK || length == 0) {
        std::free(out);
        return r != ENGINE_OK ? r : engine_result(ENGINE_ERR_FILE);
    }
    *buffer = out;
    *size = length;
    return ENGINE_OK;
}

engine_result write_icc_template_profile(engine_context *ctx, profile_tables *tables,
                                         const char *path, uint32_t creator,
                                         const char *copyright, const float gamma[4],
                                         unsigned char **buffer, uint32_t *size)
{
    (void)creator;  // the template carries its own creator
    const bool to_memory = buffer && size;
    if (to_memory) {
        *buffer = nullptr;
        *size = 0;
    }
    if (!tables || (!to_memory && (!path || !path[0])))
        return ENGINE_ERR_FILE;
    apply_gammas(tables, gamma);
    const uint32_t need = template_profile_size(tables, copyright);
    if (need == 0)
        return ENGINE_ERR_WRONG_KIND;

    if (to_memory) {
        unsigned char *out = nullptr;
        engine_result r = new_buffer(need, &out);
        if (r != ENGINE_OK)
            return r;
        uint32_t length = 0;
        r = write_template_profile_to_buffer(out, need, tables, copyright, &length);
        if (r != ENGINE_OK || length == 0) {
            std::free(out);
            return r != ENGINE_OK ? r : engine_result(ENGINE_ERR_FILE);
        }
        *buffer = out;
        *size = length;
        return ENGINE_OK;
    }

    profile_output out;
    if (open_profile_output(&out, ctx, path, true) != ENGINE_OK)
        return ICC_WRITE_FAILED;
    const engine_result r = write_template_profile_to_file(out.file, tables, copyright);
    if (r != ENGINE_OK) {
        discard_profile_output(&out);
        return r;
    }
    return commit_profile_output(&out);
}
