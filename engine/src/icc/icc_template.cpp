// The fixed version 2 template road: a complete version 2.0 input profile
// whose ten tags keep the template's order, laid out afresh for every call
// from the tables, so that no text or table can reach into the next tag.
#include <initializer_list>
#include "engine/icc_writer.h"

#include "icc_tags.h"
#include "platform/work_buffer.h"

#include <cstring>
#include <initializer_list>

using icc::byte_sink;
using icc::tag_size;

namespace {

// The template's tag table has room for 21 entries; its data begin at 384.
constexpr size_t kTemplateDataStart = 384;
constexpr uint32_t kTemplateCreator = engine_sig("Kirr");

bool template_is_writable(const profile_tables &t)
{
    const int channels = icc_colour_space_channels(t.colour_space);
    if (channels < 1 || !t.a2b0_lut.present || !icc::lut_is_valid(t.a2b0_lut, channels))
        return false;
    for (const icc_curve &c : t.trc)
        if (!icc::curve_is_valid(c))
            return false;
    for (const float *v : {t.media_white, t.red, t.green, t.blue})
        if (!icc::floats_are_finite(v, 3))
            return false;
    return true;
}

struct template_layout {
    size_t total;
    size_t a2b0_at;
};

template_layout lay_out_template(const profile_tables &t, const char *copyright,
                                 byte_sink &s)
{
    icc::header_fields h {};
    h.version = 0x02000000u;
    h.device_class = t.device_class ? t.device_class : ICC_CLASS_INPUT;
    h.colour_space = t.colour_space;
    h.pcs = icc_effective_pcs(t.pcs);
    h.creator = kTemplateCreator;
    h.attributes = t.device_attributes;
    icc::put_header(s, h);

    size_t at = kTemplateDataStart;
    struct placed {
        uint32_t sig;
        size_t offset;
        size_t size;
    };
    placed entries[10] {};
    auto place = [&](int index, uint32_t sig, tag_size size) {
        entries[index] = {sig, at, size.exact};
        at += size.padded;
    };
    place(1, engine_sig("rXYZ"), icc::put_xyz(s, at, t.red));
    place(2, engine_sig("gXYZ"), icc::put_xyz(s, at, t.green));
    place(3, engine_sig("bXYZ"), icc::put_xyz(s, at, t.blue));
    static constexpr uint32_t trc_sigs[3] = {engine_sig("rTRC"), engine_sig("gTRC"),
                                             engine_sig("bTRC")};
    for (int c = 0; c < 3; ++c)
        place(4 + c, trc_sigs[c], icc::put_curv(s, at, t.trc[c].entries, t.trc[c].count));
    place(7, engine_sig("wtpt"), icc::put_xyz(s, at, t.media_white));
    const char *cprt = copyright ? copyright : "";
    place(8, engine_sig("cprt"), icc::put_text(s, at, cprt, strnlen(cprt, ICC_WORK_BLOCK_BYTES)));
    place(0, engine_sig("desc"),
          icc::put_desc(s, at, t.description, strnlen(t.description, ICC_DESCRIPTION_MAX - 1)));
    const size_t a2b0_at = at;
    place(9, engine_sig("A2B0"), icc::put_lut(s, at, t.a2b0_lut));

    s.u32(128, 10);
    for (int i = 0; i < 10; ++i) {
        const size_t e = 132 + 12 * size_t(i);
        s.u32(e, entries[i].sig);
        s.u32(e + 4, uint32_t(entries[i].offset));
        s.u32(e + 8, uint32_t(entries[i].size));
    }
    s.u32(0, uint32_t(at));
    return {at, a2b0_at};
}

// Builds the whole template profile in a block of its own size.
engine_result build_template(const profile_tables *tables, const char *copyright,
                             platform::work_buffer *block, template_layout *layout)
{
    if (!tables || !template_is_writable(*tables))
        return ENGINE_ERR_WRONG_KIND;
    byte_sink measure(nullptr);
    const template_layout planned = lay_out_template(*tables, copyright, measure);
    if (planned.total > ICC_WORK_BLOCK_BYTES)
        return ENGINE_ERR_NO_MEMORY;
    if (!block->allocate(planned.total))
        return ENGINE_ERR_NO_MEMORY;
    byte_sink store(block);
    *layout = lay_out_template(*tables, copyright, store);
    if (block->overflowed() || layout->total != planned.total)
        return ENGINE_ERR_WRONG_KIND;
    return ENGINE_OK;
}

}  // namespace

uint32_t template_profile_size(const profile_tables *tables, const char *copyright)
{
    if (!tables || !template_is_writable(*tables))
        return 0;
    byte_sink measure(nullptr);
    const size_t total = lay_out_template(*tables, copyright, measure).total;
    return total > ICC_WORK_BLOCK_BYTES ? 0 : uint32_t(total);
}

engine_result fill_icc_template_header(const profile_tables *tables, const char *copyright,
                                       uint8_t *head, size_t capacity, size_t *head_length)
{
    platform::work_buffer block;
    template_layout layout {};
    engine_result r = build_template(tables, copyright, &block, &layout);
    if (r != ENGINE_OK)
        return r;
    const size_t n = layout.a2b0_at + icc::lut_header_size(tables->a2b0_lut);
    if (!head || capacity < n)
        return ICC_WRITE_FAILED;
    std::memcpy(head, block.data(), n);
    if (head_length)
        *head_length = n;
    return ENGINE_OK;
}

engine_result write_template_profile_to_buffer(uint8_t *buffer, size_t capacity,
                                               const profile_tables *tables,
                                               const char *copyright, uint32_t *length)
{
    if (length)
        *length = 0;
    platform::work_buffer block;
    template_layout layout {};
    engine_result r = build_template(tables, copyright, &block, &layout);
    if (r != ENGINE_OK)
        return r;
    if (!buffer || capacity < layout.total)
        return ICC_WRITE_FAILED;
    std::memcpy(buffer, block.data(), layout.total);
    if (length)
        *length = uint32_t(layout.total);
    return ENGINE_OK;
}

engine_result write_template_profile_to_file(std::FILE *file, const profile_tables *tables,
                                             const char *copyright)
{
    platform::work_buffer block;
    template_layout layout {};
    engine_result r = build_template(tables, copyright, &block, &layout);
    if (r != ENGINE_OK)
        return r;
    if (!file || std::fwrite(block.data(), 1, layout.total, file) != layout.total)
        return ICC_WRITE_FAILED;
    return ENGINE_OK;
}
