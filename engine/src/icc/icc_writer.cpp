#include "engine/icc_writer.h"

#include "engine/engine_context.h"
#include "engine/profile_output.h"
#include "icc_tags.h"
#include "platform/work_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sys/stat.h>
#include <vector>

using icc::byte_sink;
using icc::tag_size;

namespace {

constexpr uint32_t kSigScnr = engine_sig("scnr");

void set_xyz(float v[3], float x, float y, float z)
{
    v[0] = x;
    v[1] = y;
    v[2] = z;
}

engine_result set_unit_gamma(icc_curve *c)
{
    std::free(c->entries);
    c->entries = static_cast<uint16_t *>(std::malloc(sizeof(uint16_t)));
    c->count = c->entries ? 1 : 0;
    if (!c->entries)
        return ENGINE_ERR_NO_MEMORY;
    c->entries[0] = 1000;
    return ENGINE_OK;
}

// Grid points of a 3-channel layout: the builder's choice when made, else 32
// (2 for an 'XYZ ' PCS without the fine XYZ grid).
int default_grid(uint8_t set, uint32_t pcs, bool fine_xyz_grid)
{
    if (set)
        return set;
    return (pcs == SIG_XYZ && !fine_xyz_grid) ? 2 : 32;
}

engine_result init_layout(profile_tables *t, bool fine_xyz_grid)
{
    const int g = default_grid(0, t->pcs, fine_xyz_grid);
    if (t->a2b0_mab.present) {
        int inputs = 0;
        int grid = 0;
        switch (t->colour_space) {
        case SIG_RGB:
            inputs = 3;
            grid = t->a2b0_mab.grid_points ? t->a2b0_mab.grid_points : g;
            break;
        case engine_sig("4CLR"):
        case SIG_CMYK:
            inputs = 4;
            grid = 17;
            break;
        case engine_sig("5CLR"):
            inputs = 5;
            grid = 12;
            break;
        case engine_sig("6CLR"):
            inputs = 6;
            grid = 7;
            break;
        default:
            return ENGINE_ERR_WRONG_KIND;
        }
        const bool a2b1 = t->a2b1_mab.present;
        engine_result r = mab_table_alloc(&t->a2b0_mab, inputs, 3, grid, 256, 256);
        if (r == ENGINE_OK && a2b1) {
            if (t->colour_space != SIG_RGB)
                return ENGINE_ERR_WRONG_KIND;
            r = mab_table_alloc(&t->a2b1_mab, inputs, 3, grid, 256, 256);
        }
        return r;
    }
    const int inputs = icc_colour_space_channels(t->colour_space);
    if (inputs < 1 || inputs > 8)
        return ENGINE_ERR_WRONG_KIND;
    lut_table &lut = t->a2b0_lut;
    const uint32_t type = lut.type ? lut.type : ICC_TYPE_LUT16;
    const int grid = lut.grid_points ? lut.grid_points : (inputs == 3 ? g : 17);
    const bool a2b1 = t->a2b1_lut.present;
    engine_result r = lut_table_alloc(&lut, type, inputs, 3, grid, 256, 256);
    if (r == ENGINE_OK && a2b1)
        r = lut_table_copy(&t->a2b1_lut, &lut);
    return r;
}

engine_result writer_init(icc_writer *w, engine_context *ctx, profile_tables *t, bool fine)
{
    if (!w)
        return ENGINE_ERR_WRONG_KIND;
    std::memset(w, 0, sizeof *w);
    w->context = ctx;
    w->tables = t;
    if (!t)
        return ENGINE_ERR_WRONG_KIND;
    set_xyz(t->red, 1, 0, 0);
    set_xyz(t->green, 0, 1, 0);
    set_xyz(t->blue, 0, 0, 1);
    set_xyz(t->black_point, 0, 0, 0);
    if (t->pcs == 0 || t->pcs == SIG_BLANK)
        t->pcs = SIG_LAB;
    for (auto &c : t->trc)
        if (set_unit_gamma(&c) != ENGINE_OK)
            return ENGINE_ERR_NO_MEMORY;
    return init_layout(t, fine);
}

size_t text_length(const char *s, size_t max)
{
    return s ? strnlen(s, max) : 0;
}

// Everything that varies between two assemblies of the same writer.
struct assembly {
    const icc_writer *writer;
    const char *copyright;
    size_t copyright_length;
    size_t description_length;
    uint32_t creator;
    bool matrix_only;
    bool private_matrix;
    bool version4;
};

bool tables_are_writable(const assembly &a)
{
    const profile_tables &t = *a.writer->tables;
    const int channels = icc_colour_space_channels(t.colour_space);
    if (channels < 1)
        return false;
    for (const float *v : {t.media_white, t.black_point, t.red, t.green, t.blue})
        if (!icc::floats_are_finite(v, 3))
            return false;
    const bool colorants = !a.version4 || a.matrix_only;
    if (a.matrix_only && t.colour_space != SIG_RGB)
        return false;
    if (colorants)
        for (const icc_curve &c : t.trc)
            if (!icc::curve_is_valid(c))
                return false;
    if (a.matrix_only)
        return true;
    if (t.a2b0_mab.present ? !icc::mab_is_valid(t.a2b0_mab, channels)
                           : !(t.a2b0_lut.present && icc::lut_is_valid(t.a2b0_lut, channels)))
        return false;
    if (t.a2b1_mab.present && !icc::mab_is_valid(t.a2b1_mab, channels))
        return false;
    if (!t.a2b1_mab.present && t.a2b1_lut.present && !icc::lut_is_valid(t.a2b1_lut, channels))
        return false;
    if (a.private_matrix && !icc::floats_are_finite(t.private_matrix, 9))
        return false;
    return true;
}

bool device_block_set(const icc_writer &w)
{
    return (w.device[0] | w.device[1] | w.device[2] | w.device[3]) != 0;
}

// Lays the profile out (measuring, or storing into the sink's buffer) and
// returns its total size.
size_t lay_out(const assembly &a, byte_sink &s)
{
    const profile_tables &t = *a.writer->tables;
    const bool v4 = a.version4;
    const bool has_targ = t.targ_text != nullptr;
    const bool has_device = device_block_set(*a.writer);

    const size_t reserved = 19 + (v4 ? 1 : 0) + (a.private_matrix ? 1 : 0) + (has_targ ? 1 : 0) +
                            (has_device ? 1 : 0);
    const size_t table_at = 128;
    size_t at = table_at + 4 + reserved * 12;
    uint32_t count = 0;

    auto entry = [&](uint32_t sig, size_t offset, size_t size) {
        const size_t e = table_at + 4 + 12 * size_t(count);
        s.u32(e, sig);
        s.u32(e + 4, uint32_t(offset));
        s.u32(e + 8, uint32_t(size));
        ++count;
    };
    auto tag = [&](uint32_t sig, tag_size size) {
        entry(sig, at, size.padded);
        at += size.padded;
    };

    icc::header_fields h {};
    h.version = v4 ? 0x04000000u : 0x02000000u;
    h.device_class = t.device_class ? t.device_class : kSigScnr;
    h.colour_space = t.colour_space;
    h.pcs = a.matrix_only ? SIG_XYZ : icc_effective_pcs(t.pcs);
    h.creator = a.creator;
    h.attributes = t.device_attributes;
    icc::put_header(s, h);

    const char *desc = t.description;
    tag(engine_sig("desc"), v4 ? icc::put_mluc(s, at, desc, a.description_length)
                               : icc::put_desc(s, at, desc, a.description_length));
    if (has_device)
        tag(engine_sig("mmod"), icc::put_mmod(s, at, a.writer->device));
    if (has_targ)
        tag(engine_sig("targ"), icc::put_text(s, at, t.targ_text, t.targ_size));
    const char *cprt = a.copyright ? a.copyright : "";
    tag(engine_sig("cprt"), v4 ? icc::put_mluc(s, at, cprt, a.copyright_length)
                               : icc::put_text(s, at, cprt, a.copyright_length));
    tag(engine_sig("wtpt"), icc::put_xyz(s, at, t.media_white));
    tag(engine_sig("bkpt"), icc::put_xyz(s, at, t.black_point));
    // A version 4 profile without an A2B0 still needs the matrix and curves.
    if (!v4 || a.matrix_only) {
        tag(engine_sig("rXYZ"), icc::put_xyz(s, at, t.red));
        tag(engine_sig("gXYZ"), icc::put_xyz(s, at, t.green));
        tag(engine_sig("bXYZ"), icc::put_xyz(s, at, t.blue));
        static constexpr uint32_t names[3] = {engine_sig("rTRC"), engine_sig("gTRC"),
                                              engine_sig("bTRC")};
        for (int c = 0; c < 3; ++c)
            tag(names[c], icc::put_curv(s, at, t.trc[c].entries, t.trc[c].count));
    }
    if (!a.matrix_only) {
        const size_t a2b0_at = at;
        const tag_size a2b0 = t.a2b0_mab.present ? icc::put_mab(s, at, t.a2b0_mab)
                                                 : icc::put_lut(s, at, t.a2b0_lut);
        tag(engine_sig("A2B0"), a2b0);
        if (t.a2b1_mab.present)
            tag(engine_sig("A2B1"), icc::put_mab(s, at, t.a2b1_mab));
        else if (t.a2b1_lut.present)
            tag(engine_sig("A2B1"), icc::put_lut(s, at, t.a2b1_lut));
        else
            entry(engine_sig("A2B1"), a2b0_at, a2b0.padded);
        if (a.private_matrix)
            tag(engine_sig("P1MX"), icc::put_private_matrix(s, at, t.private_matrix));
    }
    s.u32(table_at, count);
    s.u32(0, uint32_t(at));
    return at;
}

engine_result make_assembly(const icc_writer *w, const char *copyright, bool matrix_only,
                            bool private_matrix, bool version4, uint32_t creator, assembly *a)
{
    if (!w || !w->tables)
        return ENGINE_ERR_WRONG_KIND;
    a->writer = w;
    a->copyright = copyright;
    // Longer texts could not be held by the work block anyway.
    a->copyright_length = text_length(copyright, ICC_WORK_BLOCK_BYTES);
    a->description_length = text_length(w->tables->description, ICC_DESCRIPTION_MAX - 1);
    a->creator = creator;
    a->matrix_only = matrix_only;
    a->private_matrix = private_matrix;
    a->version4 = version4;
    return tables_are_writable(*a) ? ENGINE_OK : ENGINE_ERR_WRONG_KIND;
}

void note_alloc(icc_writer *w, engine_result r)
{
    w->alloc_error = r;
    if (w->context)
        w->context->alloc_error = r;
}

}  // namespace

engine_result icc_writer_init(icc_writer *writer, engine_context *ctx, profile_tables *tables)
{
    return writer_init(writer, ctx, tables, false);
}

engine_result icc_writer_init_from_tables(icc_writer *writer, engine_context *ctx,
                                          profile_tables *tables, bool fine_xyz_grid)
{
    return writer_init(writer, ctx, tables, fine_xyz_grid);
}

engine_result last_alloc_error(const icc_writer *writer)
{
    return writer ? writer->alloc_error : engine_result(ENGINE_OK);
}

engine_result icc_writer_load_target_data(icc_writer *writer, const char *path)
{
    if (!writer || !writer->tables || !path)
        return ENGINE_OK;
    std::FILE *f = std::fopen(path, "rb");
    if (!f)
        return ENGINE_OK;
    // A folder or a device opens but holds no file to embed.
    struct stat st {};
    if (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return ENGINE_OK;
    }
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0)
        size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
        std::fclose(f);
        return ENGINE_OK;
    }
    // A characterisation file larger than the work block could never be embedded.
    if (size_t(size) >= ICC_WORK_BLOCK_BYTES) {
        std::fclose(f);
        return ICC_TARG_NO_MEMORY;
    }
    char *text = static_cast<char *>(std::malloc(size_t(size) + 1));
    if (!text) {
        std::fclose(f);
        return ICC_TARG_NO_MEMORY;
    }
    const size_t got = std::fread(text, 1, size_t(size), f);
    const bool failed = got != size_t(size) || std::ferror(f);
    std::fclose(f);
    if (failed) {
        std::free(text);
        return ICC_TARG_READ_FAILED;
    }
    text[size] = '\0';
    profile_tables *t = writer->tables;
    std::free(t->targ_text);
    t->targ_text = text;
    t->targ_size = size_t(size);
    return ENGINE_OK;
}

engine_result fill_mab_from_matrix(icc_writer *writer, mab_table *table, uint32_t colour_space)
{
    if (colour_space != SIG_RGB)
        return ENGINE_ERR_FILE;
    if (!writer || !writer->tables || !table)
        return ENGINE_ERR_WRONG_KIND;
    const profile_tables &t = *writer->tables;
    if (!table->clut) {
        engine_result r = mab_table_alloc(table, 3, 3, 2, 256, 256);
        if (r != ENGINE_OK)
            return r;
    }
    if (!icc::mab_is_valid(*table, 3) || !icc::floats_are_finite(t.private_matrix, 9))
        return ENGINE_ERR_WRONG_KIND;

    for (int i = 0; i < 9; ++i)
        table->matrix[i] = 0.5f * t.private_matrix[i];
    table->matrix[9] = table->matrix[10] = table->matrix[11] = 0.0f;

    const int g = table->grid_points;
    const uint32_t step = 65536u / uint32_t(g - 1);
    auto node = [step](int i) { return uint16_t(std::min<uint32_t>(uint32_t(i) * step, 65535u)); };
    size_t k = 0;
    for (int r = 0; r < g; ++r)
        for (int gg = 0; gg < g; ++gg)
            for (int b = 0; b < g; ++b) {
                table->clut[k++] = node(r);
                table->clut[k++] = node(gg);
                table->clut[k++] = node(b);
            }

    const int n = table->a_curve_entries;
    for (int c = 0; c < 3; ++c) {
        uint16_t *curve = table->a_curves[c];
        const icc_curve &trc = t.trc[c];
        for (int j = 0; j < n; ++j) {
            const double x = double(j) / double(n - 1);
            double y;
            if (trc.count == 1 && trc.entries && trc.entries[0] != 0) {
                y = std::pow(x, trc.entries[0] / 1000.0);
            } else if (trc.count > 1 && trc.entries) {
                // A sampled TRC: linear interpolation at x.
                const double pos = x * double(trc.count - 1);
                const int i0 = int(pos);
                const int i1 = i0 + 1 < trc.count ? i0 + 1 : i0;
                const double f = pos - i0;
                y = ((1 - f) * trc.entries[i0] + f * trc.entries[i1]) / 65535.0;
            } else {
                y = x;
            }
            curve[j] = uint16_t(std::min(65535.0, y * 65535.0));
        }
    }
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < table->bm_curve_entries; ++j) {
            const int m = table->bm_curve_entries;
            const uint16_t v = uint16_t((uint64_t(j) * 65535u) / uint64_t(m - 1));
            table->b_curves[c][j] = v;
            table->m_curves[c][j] = v;
        }
    table->present = 1;
    return ENGINE_OK;
}

engine_result icc_profile_size(const icc_writer *writer, const char *copyright,
                               bool matrix_only, bool private_matrix, bool version4,
                               size_t *size)
{
    assembly a {};
    engine_result r = make_assembly(writer, copyright, matrix_only, private_matrix, version4,
                                    0, &a);
    if (r != ENGINE_OK)
        return r;
    byte_sink measure(nullptr);
    const size_t total = lay_out(a, measure);
    if (size)
        *size = total;
    return ENGINE_OK;
}

engine_result assemble_icc_profile(icc_writer *writer, const char *path, uint32_t creator,
                                   const char *copyright, bool matrix_only,
                                   bool private_matrix, bool version4, uint8_t *buffer,
                                   size_t capacity, uint32_t *length)
{
    if (length && buffer)
        *length = 0;
    assembly a {};
    engine_result r = make_assembly(writer, copyright, matrix_only, private_matrix, version4,
                                    creator, &a);
    if (r != ENGINE_OK)
        return r;
    if (!buffer && (!path || !path[0]))
        return ICC_WRITE_FAILED;

    byte_sink measure(nullptr);
    const size_t total = lay_out(a, measure);
    if (total > ICC_WORK_BLOCK_BYTES) {
        note_alloc(writer, ENGINE_OK);
        return ENGINE_ERR_NO_MEMORY;
    }
    if (buffer && total > capacity)
        return ICC_WRITE_FAILED;

    // The output is opened before the block is built, as a missing folder is
    // the likelier failure; the temporary file is removed on every failure.
    profile_output out;
    if (!buffer && open_profile_output(&out, writer->context, path, true) != ENGINE_OK)
        return ICC_WRITE_FAILED;

    platform::work_buffer block;
    if (!block.allocate(total)) {
        note_alloc(writer, ENGINE_ERR_NO_MEMORY);
        discard_profile_output(&out);
        return ENGINE_ERR_NO_MEMORY;
    }
    note_alloc(writer, ENGINE_OK);
    byte_sink store(&block);
    const size_t written = lay_out(a, store);
    if (written != total || block.overflowed()) {
        discard_profile_output(&out);
        return ENGINE_ERR_WRONG_KIND;
    }
    if (version4) {
        uint8_t digest[16];
        if (!icc::md5_digest(block.data(), total, digest)) {
            discard_profile_output(&out);
            return ENGINE_ERR_NO_MEMORY;
        }
        block.put_bytes(84, digest, 16);
    }

    if (buffer) {
        std::memcpy(buffer, block.data(), total);
        if (length)
            *length = uint32_t(total);
        return ENGINE_OK;
    }
    if (std::fwrite(block.data(), 1, total, out.file) != total) {
        discard_profile_output(&out);
        return ICC_WRITE_FAILED;
    }
    if (commit_profile_output(&out) != ENGINE_OK)
        return ICC_WRITE_FAILED;
    if (length)
        *length = uint32_t(total);
    return ENGINE_OK;
}
