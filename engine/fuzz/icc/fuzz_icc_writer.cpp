// Arbitrary tables, sizes and texts into both ICC roads: whatever the writer
// delivers must open in Little CMS with every lookup table readable, or the
// writer must refuse it.
#include "engine/icc_writer.h"
#include "engine/profile_tables.h"

#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

class input {
public:
    input(const uint8_t *d, size_t n) : d_(d), n_(n) {}
    uint8_t byte() { return at_ < n_ ? d_[at_++] : 0; }
    uint16_t word() { return uint16_t(byte() << 8 | byte()); }
    float real() { return float(int16_t(word())) / 4096.0f; }
    size_t left() const { return n_ - at_; }
    const uint8_t *rest() const { return d_ + at_; }
    void skip(size_t k) { at_ += k < left() ? k : left(); }

private:
    const uint8_t *d_;
    size_t n_;
    size_t at_ = 0;
};

const uint32_t kSpaces[] = {engine_sig("RGB "), engine_sig("CMY "), engine_sig("CMYK"),
                            engine_sig("3CLR"), engine_sig("4CLR"), engine_sig("5CLR"),
                            engine_sig("6CLR"), engine_sig("8CLR"), engine_sig("GRAY"),
                            engine_sig("Lab "), 0, engine_sig("zzzz")};
const uint32_t kPcs[] = {engine_sig("Lab "), engine_sig("XYZ "), 0, engine_sig("    ")};

void complaint(cmsContext ctx, cmsUInt32Number, const char *)
{
    *static_cast<int *>(cmsGetContextUserData(ctx)) += 1;
}

// The profile must open without a complaint and its tables must be readable.
void check_profile(const uint8_t *p, uint32_t n, bool has_lut)
{
    int complaints = 0;
    cmsContext ctx = cmsCreateContext(nullptr, &complaints);
    cmsSetLogErrorHandlerTHR(ctx, complaint);
    cmsHPROFILE h = cmsOpenProfileFromMemTHR(ctx, p, n);
    if (!h)
        std::abort();
    if (!cmsReadTag(h, cmsSigProfileDescriptionTag) || !cmsReadTag(h, cmsSigMediaWhitePointTag))
        std::abort();
    if (has_lut && (!cmsReadTag(h, cmsSigAToB0Tag) || !cmsReadTag(h, cmsSigAToB1Tag)))
        std::abort();
    cmsCloseProfile(h);
    cmsDeleteContext(ctx);
    if (complaints)
        std::abort();
}

void fill(uint16_t *v, size_t n, input &in, unsigned max)
{
    for (size_t i = 0; i < n; ++i)
        v[i] = uint16_t(in.word() % (max + 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    input in(data, size);
    profile_tables t {};
    const uint8_t flags = in.byte();
    t.colour_space = kSpaces[in.byte() % (sizeof kSpaces / sizeof kSpaces[0])];
    t.pcs = kPcs[in.byte() % 4];
    const bool mab = flags & 1;
    const bool lut8 = flags & 2;
    const int grid = 2 + in.byte() % 12;
    const int entries = 2 + in.word() % 600;
    t.a2b0_mab.present = mab;
    t.a2b0_lut.type = lut8 ? ICC_TYPE_LUT8 : ICC_TYPE_LUT16;
    t.a2b0_lut.grid_points = uint8_t(grid);
    t.a2b0_mab.grid_points = uint8_t(grid);
    t.a2b1_lut.present = (flags & 4) != 0;
    t.a2b1_mab.present = mab && (flags & 4);
    icc_writer w {};
    if (icc_writer_init_from_tables(&w, nullptr, &t, flags & 8) == ENGINE_OK) {
        const int channels = icc_colour_space_channels(t.colour_space);
        // Sizes of the builder's own choosing, sometimes inconsistent.
        if (!mab && !lut8 && (flags & 16))
            lut_table_alloc(&t.a2b0_lut, ICC_TYPE_LUT16, channels, 3, grid, entries,
                            2 + in.word() % 600);
        if (mab && (flags & 16))
            mab_table_alloc(&t.a2b0_mab, channels, 3, grid, entries, 2 + in.word() % 600);
        if (t.a2b0_lut.clut && t.a2b0_lut.clut_entries && t.a2b0_lut.clut_entries < (1u << 20))
            fill(t.a2b0_lut.clut, t.a2b0_lut.clut_entries < 4096 ? t.a2b0_lut.clut_entries : 4096,
                 in, lut8 ? 255 : 65535);
        if (t.a2b0_mab.clut && t.a2b0_mab.clut_entries < (1u << 20))
            fill(t.a2b0_mab.clut, t.a2b0_mab.clut_entries < 4096 ? t.a2b0_mab.clut_entries : 4096,
                 in, 65535);
        if (flags & 32)
            t.a2b0_lut.clut_entries ^= in.byte();  // after the fill: never written through
        for (float *v : {t.media_white, t.black_point, t.red, t.green, t.blue})
            for (int i = 0; i < 3; ++i)
                v[i] = in.real();
        for (float &m : t.private_matrix)
            m = in.real();
        for (icc_curve &c : t.trc) {
            const uint16_t count = uint16_t(in.byte() % 5 == 0 ? in.word() % 1024 : 1);
            std::free(c.entries);
            c.entries = static_cast<uint16_t *>(std::calloc(count ? count : 1, 2));
            c.count = count;
            if (c.entries)
                fill(c.entries, count ? count : 1, in, 65535);
        }
        w.device[0] = (flags & 64) ? in.word() : 0;
        const size_t desc = in.byte() % 200;
        const size_t n = desc < in.left() ? desc : in.left();
        std::memcpy(t.description, in.rest(), n);
        in.skip(n);
        if (flags & 128) {
            const size_t k = in.left() / 2;
            t.targ_text = static_cast<char *>(std::calloc(k + 1, 1));
            if (t.targ_text) {
                std::memcpy(t.targ_text, in.rest(), k);
                t.targ_size = strnlen(t.targ_text, k);
                in.skip(k);
            }
        }
        std::string copyright(reinterpret_cast<const char *>(in.rest()), in.left());
        const uint8_t road = copyright.empty() ? 0 : uint8_t(copyright[0]);

        const bool matrix_only = road & 1;
        const bool version4 = road & 2;
        const bool private_matrix = road & 4;
        // A buffer just large enough (or, on some roads, too small).
        size_t need = 0;
        if (icc_profile_size(&w, copyright.c_str(), matrix_only, private_matrix, version4,
                             &need) != ENGINE_OK || need > ICC_WORK_BLOCK_BYTES)
            need = 4096;
        const size_t template_need = template_profile_size(&t, copyright.c_str());
        std::vector<uint8_t> out(std::max(need, template_need) + 8);
        uint32_t length = 0;
        size_t capacity = (road & 8) ? need - need / (1 + road % 7) : out.size();
        engine_result r = assemble_icc_profile(&w, nullptr, engine_sig("Kirr"), copyright.c_str(),
                                               matrix_only, private_matrix, version4, out.data(),
                                               capacity, &length);
        if (r == ENGINE_OK) {
            if (length == 0 || length > capacity)
                std::abort();
            check_profile(out.data(), length, !matrix_only);
        } else if (length != 0) {
            std::abort();
        }
        r = write_template_profile_to_buffer(out.data(), capacity, &t, copyright.c_str(),
                                             &length);
        if (r == ENGINE_OK) {
            if (length != template_profile_size(&t, copyright.c_str()))
                std::abort();
            check_profile(out.data(), length, false);
        }
    }
    profile_tables_free(&t);
    return 0;
}
