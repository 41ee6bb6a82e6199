#include "platform/cms.h"

#include "cms_exact.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <lcms2.h>

namespace platform {
namespace cms {

namespace {

uint16_t round_clamp16(double v)
{
    const double r = v > 0 ? std::floor(v + 0.5) : std::ceil(v - 0.5);
    return uint16_t(std::min(65535.0, std::max(0.0, r)));
}

bool natural_reversed(BitmapFormat f)
{
    return f == BitmapFormat::rgb8 || f == BitmapFormat::rgb16 || f == BitmapFormat::cmyk8;
}

int bytes_per_channel(BitmapFormat f)
{
    switch (f) {
    case BitmapFormat::rgb16:
    case BitmapFormat::xyz16:
    case BitmapFormat::lab16: return 2;
    case BitmapFormat::none: return 0;
    default: return 1;
    }
}

cmsUInt32Number mch(int n)
{
    static const cmsUInt32Number spaces[] = {PT_MCH5, PT_MCH6, PT_MCH7, PT_MCH8};
    return COLORSPACE_SH(spaces[n - 5]) | CHANNELS_SH(cmsUInt32Number(n)) | BYTES_SH(1);
}

// Little CMS format of a direct layout, natural order first.
cmsUInt32Number lcms_format(const Layout &l)
{
    cmsUInt32Number base = 0;
    switch (l.format) {
    case BitmapFormat::rgb8: base = TYPE_RGB_8; break;
    case BitmapFormat::rgb16: base = TYPE_RGB_16; break;
    case BitmapFormat::cmyk8: base = TYPE_CMYK_8; break;
    case BitmapFormat::xyz16: base = TYPE_XYZ_16; break;
    case BitmapFormat::lab8: base = TYPE_Lab_8; break;
    case BitmapFormat::ch5: base = mch(5); break;
    case BitmapFormat::ch6: base = mch(6); break;
    case BitmapFormat::ch7: base = mch(7); break;
    case BitmapFormat::ch8: base = mch(8); break;
    default: return 0;
    }
    if (l.extra < 0 || l.extra > 7)
        return 0;
    base |= EXTRA_SH(cmsUInt32Number(l.extra));
    if (l.reversed)
        base |= DOSWAP_SH(1) | (l.extra ? SWAPFIRST_SH(1) : 0);
    return base;
}

cmsUInt32Number colour_format(ColourType t)
{
    switch (t) {
    case ColourType::gray: return TYPE_GRAY_16;
    case ColourType::rgb: return TYPE_RGB_16;
    case ColourType::xyz: return TYPE_XYZ_16;
    case ColourType::cmyk: return TYPE_CMYK_16;
    case ColourType::lab: return TYPE_Lab_DBL;
    }
    return 0;
}

int colour_channels(ColourType t)
{
    switch (t) {
    case ColourType::gray: return 1;
    case ColourType::cmyk: return 4;
    default: return 3;
    }
}

void silent(cmsContext, cmsUInt32Number, const char *) {}

// CIE lightness (on 0..1) of a device value taken as a luminance: Little CMS
// parametric type 5, Y = (aX + b)^g + e above d, cX + f below.
cmsToneCurve *lightness_curve(cmsContext ctx)
{
    const cmsFloat64Number p[7] = {1.0 / 3.0, 1.16 * 1.16 * 1.16, 0.0, 24389.0 / 2700.0,
                                   216.0 / 24389.0, -0.16, 0.0};
    return cmsBuildParametricToneCurve(ctx, 5, p);
}

// Two device links of RGB curves, lightness and its inverse: in front of a
// chain they change nothing, but Little CMS keeps the first as the
// pre-linearisation of its precalculated grid, which is then even in
// lightness whatever curves the source profile has.
bool perceptual_links(cmsContext ctx, cmsHPROFILE links[2])
{
    cmsToneCurve *l = lightness_curve(ctx);
    cmsToneCurve *inverse = l ? cmsReverseToneCurve(l) : nullptr;
    links[0] = links[1] = nullptr;
    if (l && inverse) {
        cmsToneCurve *forward[3] = {l, l, l}, *back[3] = {inverse, inverse, inverse};
        links[0] = cmsCreateLinearizationDeviceLinkTHR(ctx, cmsSigRgbData, forward);
        links[1] = cmsCreateLinearizationDeviceLinkTHR(ctx, cmsSigRgbData, back);
    }
    if (inverse)
        cmsFreeToneCurve(inverse);
    if (l)
        cmsFreeToneCurve(l);
    if (links[0] && links[1])
        return true;
    for (int i = 0; i < 2; ++i)
        if (links[i])
            cmsCloseProfile(links[i]);
    return false;
}

}  // namespace

void *make_lcms_transform(void *context, void *const *profiles, std::size_t count,
                          uint32_t in_format, uint32_t out_format, uint32_t intent)
{
    cmsContext ctx = static_cast<cmsContext>(context);
    if (!profiles || count < 1 || count > 253)
        return nullptr;
    std::vector<cmsHPROFILE> chain(profiles, profiles + count);
    // Integer data go through a precalculated grid. Little CMS would
    // resample the whole transform on it, input curves included; with
    // pre-linearisation a camera profile's input curves stay in front of
    // the grid. A camera or scanner profile may have none (a matrix of a
    // linear camera) or curves that leave the shadows of linear data to a
    // few nodes: its grid is made even in lightness, and finer.
    const bool integer = !T_FLOAT(in_format) && !T_FLOAT(out_format);
    const bool camera = integer && cmsGetDeviceClass(chain.front()) == cmsSigInputClass &&
                        cmsGetColorSpace(chain.front()) == cmsSigRgbData &&
                        T_COLORSPACE(in_format) == PT_RGB;
    // A device table with an XYZ connection space delivers 16-bit XYZ
    // words; in the shadows of a linear camera neighbouring words lie about
    // 0.1 delta E apart, steps that a grid in front of them smooths away (up
    // to 0.25 delta E off on a chart). With 16-bit input, finer than those
    // steps, such a chain is evaluated stage by stage instead (images take
    // the exact road of ExactChain, which gives the same words faster).
    const bool xyz_table = camera && wants_exact_road(chain.front(), intent, in_format);
    // Camera values to 16-bit Lab are measurements of single patches (no
    // picture takes that road): evaluated stage by stage, they are the
    // profile's own, where a grid would be up to 0.1 delta E off in the
    // shadows of a linear camera's table.
    const bool measuring = camera && T_BYTES(in_format) == 2 &&
                           (T_COLORSPACE(out_format) == PT_Lab || T_COLORSPACE(out_format) == PT_LabV2);
    const bool exact = xyz_table || measuring;
    cmsHPROFILE links[2] = {nullptr, nullptr};
    if (camera && !exact && perceptual_links(ctx, links))
        chain.insert(chain.begin(), links, links + 2);
    // Only a camera's input curves are kept in front of the grid: those of a
    // display or working space (sRGB's) already make the data near-perceptual,
    // and a grid behind them in linear light is coarser in the shadows.
    cmsUInt32Number flags = cmsFLAGS_HIGHRESPRECALC;
    if (exact)
        flags = cmsFLAGS_NOOPTIMIZE;
    else if (camera)
        flags = cmsFLAGS_CLUT_PRE_LINEARIZATION |
                (links[0] ? cmsFLAGS_GRIDPOINTS(65) : cmsUInt32Number(cmsFLAGS_HIGHRESPRECALC));
    cmsHTRANSFORM xf = cmsCreateMultiprofileTransformTHR(
        ctx, chain.data(), cmsUInt32Number(chain.size()), in_format, out_format, intent, flags);
    for (cmsHPROFILE l : links)
        if (l)
            cmsCloseProfile(l);
    return xf;
}

int bitmap_channels(BitmapFormat f)
{
    switch (f) {
    case BitmapFormat::none: return 0;
    case BitmapFormat::cmyk8: return 4;
    case BitmapFormat::ch5: return 5;
    case BitmapFormat::ch6: return 6;
    case BitmapFormat::ch7: return 7;
    case BitmapFormat::ch8: return 8;
    default: return 3;
    }
}

int bitmap_pixel_bytes(BitmapFormat f) { return bitmap_channels(f) * bytes_per_channel(f); }

Layout default_layout(BitmapFormat f)
{
    Layout l;
    l.format = f;
    l.reversed = natural_reversed(f);
    return l;
}

bool is_direct(BitmapFormat f)
{
    return f != BitmapFormat::none && f != BitmapFormat::lab16 && f != BitmapFormat::xyz8;
}

void encode_lab16(const double lab[3], uint16_t out[3])
{
    out[0] = round_clamp16(lab[0] / 100.0 * 65535.0);
    out[1] = round_clamp16((lab[1] / 128.0 + 1.0) * 32768.0);
    out[2] = round_clamp16((lab[2] / 128.0 + 1.0) * 32768.0);
}

void decode_lab16(const uint16_t in[3], double lab[3])
{
    lab[0] = in[0] / 65535.0 * 100.0;
    lab[1] = (in[1] / 32768.0 - 1.0) * 128.0;
    lab[2] = (in[2] / 32768.0 - 1.0) * 128.0;
}

struct Transform::Impl {
    cmsContext ctx = nullptr;
    std::vector<cmsHPROFILE> profiles;
    cmsUInt32Number intent = INTENT_PERCEPTUAL;
    struct Cached {
        cmsUInt32Number in, out;
        cmsHTRANSFORM xf;  // null: known to fail
    };
    std::vector<Cached> cache;
    // The exact road for 16-bit RGB images, made at the first such image.
    std::unique_ptr<ExactChain> exact;
    bool exact_tried = false;

    const ExactChain *exact_chain(const Layout &in, const Layout &out)
    {
        if (in.format != BitmapFormat::rgb16)
            return nullptr;
        if (!exact_tried) {
            exact_tried = true;
            if (wants_exact_road(profiles.front(), intent, TYPE_RGB_16))
                exact = ExactChain::capture(ctx, profiles.data(), profiles.size(), intent);
        }
        return exact && exact->converts(in, out) ? exact.get() : nullptr;
    }

    ~Impl()
    {
        exact.reset();
        for (Cached &c : cache)
            if (c.xf)
                cmsDeleteTransform(c.xf);
        for (cmsHPROFILE p : profiles)
            cmsCloseProfile(p);
        if (ctx)
            cmsDeleteContext(ctx);
    }

    cmsHTRANSFORM get(cmsUInt32Number in, cmsUInt32Number out)
    {
        for (const Cached &c : cache)
            if (c.in == in && c.out == out)
                return c.xf;
        cmsHTRANSFORM xf = static_cast<cmsHTRANSFORM>(
            make_lcms_transform(ctx, profiles.data(), profiles.size(), in, out, intent));
        cache.push_back({in, out, xf});
        return xf;
    }
};

Transform::Transform(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Transform::~Transform() = default;

std::unique_ptr<Transform> Transform::create(const std::vector<const Profile *> &profiles,
                                             int intent)
{
    if (profiles.size() < 2 || profiles.size() > 255)
        return nullptr;
    std::unique_ptr<Impl> impl(new Impl);
    impl->ctx = static_cast<cmsContext>(create_capturing_context());
    if (!impl->ctx)
        return nullptr;
    cmsSetLogErrorHandlerTHR(impl->ctx, silent);
    impl->intent = (intent >= 0 && intent <= 3) ? cmsUInt32Number(intent) : INTENT_PERCEPTUAL;
    for (const Profile *p : profiles) {
        if (!p)
            return nullptr;
        cmsHPROFILE h = cmsOpenProfileFromMemTHR(impl->ctx, p->bytes().data(),
                                                 cmsUInt32Number(p->bytes().size()));
        if (!h)
            return nullptr;
        impl->profiles.push_back(h);
    }
    // Refuse early when the profiles cannot be joined at all: try the
    // transform between their own colour spaces.
    const cmsUInt32Number in = cmsFormatterForColorspaceOfProfile(impl->profiles.front(), 2, 0);
    cmsHPROFILE last = impl->profiles.back();
    const cmsProfileClassSignature cls = cmsGetDeviceClass(last);
    const cmsUInt32Number out = (cls == cmsSigLinkClass || cls == cmsSigAbstractClass)
        ? cmsFormatterForPCSOfProfile(last, 2, 0)
        : cmsFormatterForColorspaceOfProfile(last, 2, 0);
    if (!in || !out || !impl->get(in, out))
        return nullptr;
    return std::unique_ptr<Transform>(new Transform(std::move(impl)));
}

bool Transform::translate_colours(const Word4 *in, std::size_t count, ColourType in_type,
                                  Word4 *out, ColourType out_type)
{
    if (!in || !out || count == 0)
        return false;
    cmsHTRANSFORM xf = impl_->get(colour_format(in_type), colour_format(out_type));
    if (!xf)
        return false;
    const int nin = colour_channels(in_type);
    const int nout = colour_channels(out_type);
    std::vector<uint16_t> in16, out16;
    std::vector<double> indbl, outdbl;
    const void *src;
    void *dst;
    if (in_type == ColourType::lab) {
        indbl.resize(count * 3);
        for (std::size_t i = 0; i < count; ++i)
            decode_lab16(in[i].w, &indbl[i * 3]);
        src = indbl.data();
    } else {
        in16.resize(count * std::size_t(nin));
        for (std::size_t i = 0; i < count; ++i)
            for (int c = 0; c < nin; ++c)
                in16[i * std::size_t(nin) + std::size_t(c)] = in[i].w[c];
        src = in16.data();
    }
    if (out_type == ColourType::lab) {
        outdbl.resize(count * 3);
        dst = outdbl.data();
    } else {
        out16.resize(count * std::size_t(nout));
        dst = out16.data();
    }
    cmsDoTransform(xf, src, dst, cmsUInt32Number(count));
    for (std::size_t i = 0; i < count; ++i) {
        Word4 w{{0, 0, 0, 0}};
        if (out_type == ColourType::lab)
            encode_lab16(&outdbl[i * 3], w.w);
        else
            for (int c = 0; c < nout; ++c)
                w.w[c] = out16[i * std::size_t(nout) + std::size_t(c)];
        out[i] = w;
    }
    return true;
}

bool Transform::translate_row(const void *in, BitmapFormat in_format, void *out,
                              BitmapFormat out_format, std::size_t width)
{
    return translate_bitmap(in, default_layout(in_format), width, 1, 0, out,
                            default_layout(out_format), 0);
}

namespace {

// Codec layouts are converted through a Little CMS format of their own:
// lab16 through Little CMS's version 2 16-bit Lab, whose a and b words are
// ours (256 a + 32768) and whose L spans 0..65280 instead of 0..65535, so
// only L is rescaled; xyz8 through 16-bit XYZ (8-bit XYZ written back).
cmsUInt32Number codec_format(BitmapFormat f)
{
    return f == BitmapFormat::lab16 ? TYPE_LabV2_16 : TYPE_XYZ_16;
}

void decode_row(const uint8_t *src, BitmapFormat f, std::size_t width, void *dst)
{
    uint16_t *o = static_cast<uint16_t *>(dst);
    if (f == BitmapFormat::lab16) {
        std::memcpy(o, src, width * 6);
        for (std::size_t x = 0; x < width; ++x)
            o[x * 3] = uint16_t((uint32_t(o[x * 3]) * 65280u + 32767u) / 65535u);
    } else {
        for (std::size_t i = 0; i < width * 3; ++i)
            o[i] = uint16_t(src[i] << 8);
    }
}

void encode_row(const void *src, std::size_t width, uint8_t *dst)
{
    const uint16_t *in = static_cast<const uint16_t *>(src);
    for (std::size_t i = 0; i < width * 3; ++i)
        dst[i] = uint8_t(std::min(255, (in[i] + 128) >> 8));
}

}  // namespace

bool Transform::translate_bitmap(const void *in, const Layout &il, std::size_t width,
                                 std::size_t height, std::size_t in_stride, void *out,
                                 const Layout &ol, std::size_t out_stride)
{
    if (!in || !out || width == 0 || height == 0 || width > 0x7fffffffu)
        return false;
    const std::size_t in_pixel =
        std::size_t(bitmap_pixel_bytes(il.format) + il.extra * bytes_per_channel(il.format));
    const std::size_t out_pixel =
        std::size_t(bitmap_pixel_bytes(ol.format) + ol.extra * bytes_per_channel(ol.format));
    if (in_pixel == 0 || out_pixel == 0)
        return false;
    if (in_stride == 0)
        in_stride = in_pixel * width;
    if (out_stride == 0)
        out_stride = out_pixel * width;

    const bool in_direct = is_direct(il.format);
    const bool out_direct = is_direct(ol.format);
    if ((!in_direct && (il.extra || il.reversed)) || (!out_direct && (ol.extra || ol.reversed)))
        return false;
    if (const ExactChain *exact = impl_->exact_chain(il, ol)) {
        exact->convert(in, il, width, height, in_stride, out, ol, out_stride);
        return true;
    }
    const cmsUInt32Number fin = in_direct ? lcms_format(il) : codec_format(il.format);
    const cmsUInt32Number fout = out_direct ? lcms_format(ol) : codec_format(ol.format);
    if (!fin || !fout)
        return false;
    cmsHTRANSFORM xf = impl_->get(fin, fout);
    if (!xf)
        return false;

    if (in_direct && out_direct) {
        if (in_stride > 0xffffffffu || out_stride > 0xffffffffu || height > 0xffffffffu)
            return false;
        cmsDoTransformLineStride(xf, in, out, cmsUInt32Number(width), cmsUInt32Number(height),
                                 cmsUInt32Number(in_stride), cmsUInt32Number(out_stride), 0, 0);
        return true;
    }
    // Row by row through codec buffers (6 bytes per pixel). 16-bit Lab output
    // has Little CMS's layout: it is written in place and only L rescaled.
    const bool lab_out = ol.format == BitmapFormat::lab16;
    std::vector<uint8_t> a(in_direct ? 0 : width * 6), b(out_direct || lab_out ? 0 : width * 6);
    const uint8_t *src = static_cast<const uint8_t *>(in);
    uint8_t *dst = static_cast<uint8_t *>(out);
    for (std::size_t y = 0; y < height; ++y) {
        const void *s = src + y * in_stride;
        uint8_t *d = dst + y * out_stride;
        if (!in_direct) {
            decode_row(static_cast<const uint8_t *>(s), il.format, width, a.data());
            s = a.data();
        }
        cmsDoTransform(xf, s, out_direct || lab_out ? d : b.data(), cmsUInt32Number(width));
        if (lab_out) {
            for (std::size_t x = 0; x < width; ++x) {
                uint16_t L;
                std::memcpy(&L, d + x * 6, 2);
                // 65535 / 65280 is 257 / 256.
                L = uint16_t(std::min<uint32_t>(65535u, (uint32_t(L) * 257u + 128u) >> 8));
                std::memcpy(d + x * 6, &L, 2);
            }
        } else if (!out_direct) {
            encode_row(b.data(), width, d);
        }
    }
    return true;
}

}  // namespace cms
}  // namespace platform
