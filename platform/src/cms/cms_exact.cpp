#include "cms_exact.h"

#include <lcms2_plugin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <system_error>
#include <thread>

namespace platform {
namespace cms {

namespace {

constexpr std::size_t kWords = 65536;
constexpr int kMaxOut = 8;

// The pipeline Little CMS links for a transform being made on this thread,
// taken by the transform plug-in of the capturing contexts. The plug-in
// never takes the transform over.
thread_local cmsPipeline **capturing = nullptr;

cmsBool capture_factory(_cmsTransform2Fn *, void **, _cmsFreeUserDataFn *, cmsPipeline **lut,
                        cmsUInt32Number *, cmsUInt32Number *, cmsUInt32Number *)
{
    if (capturing && !*capturing && lut && *lut)
        *capturing = cmsPipelineDup(*lut);
    return FALSE;
}

// Little CMS's conversion of a float to a 16-bit word (_cmsQuickSaturateWord).
inline uint16_t saturate_word(double d)
{
    d += 0.5;
    if (d <= 0)
        return 0;
    if (d >= 65535.0)
        return 0xffff;
    return uint16_t(int(d));  // d is positive: truncation is the floor
}

// Little CMS's 16-to-8-bit reduction.
inline uint8_t word_to_byte(uint16_t w)
{
    return uint8_t(((uint32_t(w) * 65281u + 8388608u) >> 24) & 0xffu);
}

// CIE 1976 lightness function of Little CMS's XYZ-to-Lab stage.
inline double lab_f(double t)
{
    const double limit = (24.0 / 116.0) * (24.0 / 116.0) * (24.0 / 116.0);
    return t <= limit ? (841.0 / 108.0) * t + 16.0 / 116.0 : std::cbrt(t);
}

struct PipelineDeleter {
    void operator()(cmsPipeline *p) const
    {
        if (p)
            cmsPipelineFree(p);
    }
};
using PipelinePtr = std::unique_ptr<cmsPipeline, PipelineDeleter>;

// A pipeline of copies of the stages [first, last).
PipelinePtr sub_pipeline(cmsContext ctx, const std::vector<cmsStage *> &stages,
                         std::size_t first, std::size_t last)
{
    if (first >= last)
        return nullptr;
    PipelinePtr p(cmsPipelineAlloc(ctx, cmsStageInputChannels(stages[first]),
                                   cmsStageOutputChannels(stages[last - 1])));
    if (!p)
        return nullptr;
    for (std::size_t i = first; i < last; ++i) {
        cmsStage *copy = cmsStageDup(stages[i]);
        if (!copy || !cmsPipelineInsertStage(p.get(), cmsAT_END, copy))
            return nullptr;
    }
    return p;
}

bool is_diagonal_matrix(cmsStage *s)
{
    const cmsUInt32Number n = cmsStageInputChannels(s);
    if (cmsStageType(s) != cmsSigMatrixElemType || cmsStageOutputChannels(s) != n)
        return false;
    const auto *m = static_cast<const _cmsStageMatrixData *>(cmsStageData(s));
    for (cmsUInt32Number i = 0; i < n; ++i)
        for (cmsUInt32Number j = 0; j < n; ++j)
            if (i != j && m->Double[i * n + j] != 0.0)
                return false;
    return true;
}

// A stage whose every output channel depends on its own input channel only.
bool is_per_channel(cmsStage *s)
{
    switch (cmsStageType(s)) {
    case cmsSigCurveSetElemType:
    case cmsSigIdentityElemType:
    case cmsSigClipNegativesElemType: return true;
    case cmsSigMatrixElemType: return is_diagonal_matrix(s);
    default: return false;
    }
}

// Curves that give back every value they are given (parametric gamma 1).
bool is_identity_curves(cmsStage *s)
{
    if (cmsStageType(s) == cmsSigIdentityElemType)
        return true;
    if (cmsStageType(s) != cmsSigCurveSetElemType)
        return false;
    const auto *c = static_cast<const _cmsStageToneCurvesData *>(cmsStageData(s));
    for (cmsUInt32Number i = 0; i < c->nCurves; ++i)
        for (int k = -64; k <= 1088; ++k) {
            const float x = float(k) / 1024.0f;
            if (cmsEvalToneCurveFloat(c->TheCurves[i], x) != x)
                return false;
        }
    return true;
}

bool is_16bit_clut(cmsStage *s)
{
    if (cmsStageType(s) != cmsSigCLutElemType || cmsStageInputChannels(s) != 3
        || cmsStageOutputChannels(s) < 1 || cmsStageOutputChannels(s) > kMaxOut)
        return false;
    const auto *d = static_cast<const _cmsStageCLutData *>(cmsStageData(s));
    return d && !d->HasFloatValues && d->Params && d->Params->Interpolation.Lerp16;
}

}  // namespace

bool wants_exact_road(void *first_profile, uint32_t intent, uint32_t in_format)
{
    cmsHPROFILE p = static_cast<cmsHPROFILE>(first_profile);
    return p && !T_FLOAT(in_format) && T_BYTES(in_format) == 2 && T_COLORSPACE(in_format) == PT_RGB
        && cmsGetDeviceClass(p) == cmsSigInputClass && cmsGetColorSpace(p) == cmsSigRgbData
        && cmsGetPCS(p) == cmsSigXYZData && cmsIsCLUT(p, intent, LCMS_USED_AS_INPUT);
}

void *create_capturing_context()
{
    static cmsPluginTransform plugin = [] {
        cmsPluginTransform p;
        std::memset(&p, 0, sizeof p);
        p.base.Magic = cmsPluginMagicNumber;
        p.base.ExpectedVersion = 2060;
        p.base.Type = cmsPluginTransformSig;
        p.factories.xform = capture_factory;
        return p;
    }();
    return cmsCreateContext(&plugin, nullptr);
}

// The compiled chain: input words to table words through in_table, the
// table by Little CMS's interpolator, its output words through post (the
// per-channel stages behind it, and the cube root of an XYZ-to-Lab stage),
// then an affine map (the rest of that stage and the matrices after it) and
// whatever stages remain, through Little CMS.
struct ExactChain::Impl {
    PipelinePtr lut;              // the captured chain, owner of the table
    std::vector<uint16_t> in_table;  // 3 x kWords
    const cmsInterpParams *table = nullptr;
    int table_out = 0;
    std::vector<float> post;  // table_out x kWords
    bool affine = false;
    double matrix[9] = {}, offset[3] = {};
    PipelinePtr rest;
    int channels = 0;  // of the chain's output
};

ExactChain::ExactChain(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ExactChain::~ExactChain() = default;

std::unique_ptr<ExactChain> ExactChain::capture(void *context, void *const *profiles,
                                                std::size_t count, uint32_t intent)
{
    cmsContext ctx = static_cast<cmsContext>(context);
    if (!profiles || count < 1 || count > 253)
        return nullptr;
    std::vector<cmsHPROFILE> chain(profiles, profiles + count);
    cmsHPROFILE last = chain.back();
    const cmsProfileClassSignature cls = cmsGetDeviceClass(last);
    const cmsUInt32Number out_format = (cls == cmsSigLinkClass || cls == cmsSigAbstractClass)
        ? cmsFormatterForPCSOfProfile(last, 4, 1)
        : cmsFormatterForColorspaceOfProfile(last, 4, 1);
    // Float formats: Little CMS then links the chain as it does for 16-bit
    // formats but leaves it to the plug-in before anything else.
    cmsPipeline *captured = nullptr;
    capturing = &captured;
    cmsHTRANSFORM xf = cmsCreateMultiprofileTransformTHR(
        ctx, chain.data(), cmsUInt32Number(count), TYPE_RGB_FLT, out_format, intent,
        cmsFLAGS_NOCACHE);
    capturing = nullptr;
    if (xf)
        cmsDeleteTransform(xf);
    std::unique_ptr<Impl> impl(new Impl);
    impl->lut.reset(captured);
    if (!impl->lut || cmsPipelineInputChannels(captured) != 3)
        return nullptr;
    impl->channels = int(cmsPipelineOutputChannels(captured));
    if (impl->channels < 1 || impl->channels > kMaxOut)
        return nullptr;

    std::vector<cmsStage *> stages;
    for (cmsStage *s = cmsPipelineGetPtrToFirstStage(captured); s; s = cmsStageNext(s))
        stages.push_back(s);
    std::size_t i = 0;
    while (i < stages.size() && is_per_channel(stages[i]))
        ++i;
    if (i == stages.size() || !is_16bit_clut(stages[i]))
        return nullptr;
    const std::size_t clut = i;

    // In front of the table: each 16-bit input word as the stages turn it
    // into the table's input word.
    impl->in_table.resize(3 * kWords);
    PipelinePtr pre = sub_pipeline(ctx, stages, 0, clut);
    if (clut > 0 && !pre)
        return nullptr;
    for (std::size_t w = 0; w < kWords; ++w) {
        const float v = float(w) / 65535.0f;
        float in[3] = {v, v, v}, out[3] = {v, v, v};
        if (pre)
            cmsPipelineEvalFloat(in, out, pre.get());
        for (int c = 0; c < 3; ++c)
            impl->in_table[std::size_t(c) * kWords + w] = saturate_word(double(out[c]) * 65535.0);
    }
    const auto *data = static_cast<const _cmsStageCLutData *>(cmsStageData(stages[clut]));
    impl->table = data->Params;
    impl->table_out = int(cmsStageOutputChannels(stages[clut]));

    // Behind it: the per-channel stages over each output word.
    std::size_t j = clut + 1;
    while (j < stages.size() && is_per_channel(stages[j]))
        ++j;
    PipelinePtr post = sub_pipeline(ctx, stages, clut + 1, j);
    if (j > clut + 1 && !post)
        return nullptr;
    const bool to_lab = j < stages.size() && cmsStageType(stages[j]) == cmsSigXYZ2LabElemType
        && impl->table_out == 3;
    const int n = impl->table_out;
    impl->post.resize(std::size_t(n) * kWords);
    // Little CMS's XYZ-to-Lab stage: XYZ as encoded, relative to D50.
    const double adjust = 1.0 + 32767.0 / 32768.0;
    const double white[3] = {cmsD50X, cmsD50Y, cmsD50Z};
    for (std::size_t w = 0; w < kWords; ++w) {
        float in[kMaxOut], out[kMaxOut];
        for (int c = 0; c < n; ++c)
            in[c] = out[c] = float(w) / 65535.0f;
        if (post)
            cmsPipelineEvalFloat(in, out, post.get());
        for (int c = 0; c < n; ++c)
            impl->post[std::size_t(c) * kWords + w] =
                to_lab ? float(lab_f(double(out[c]) * adjust / white[c])) : out[c];
    }
    // The affine part: the rest of the Lab stage (L / 100, (a + 128) / 255,
    // (b + 128) / 255 from the cube roots), then the 3 x 3 matrices after it.
    if (to_lab) {
        impl->affine = true;
        const double m[9] = {0, 1.16, 0, 500.0 / 255.0, -500.0 / 255.0, 0, 0, 200.0 / 255.0,
                             -200.0 / 255.0};
        std::memcpy(impl->matrix, m, sizeof m);
        impl->offset[0] = -0.16;
        impl->offset[1] = impl->offset[2] = 128.0 / 255.0;
        ++j;
    }
    while (j < stages.size() && n == 3 && cmsStageType(stages[j]) == cmsSigMatrixElemType
           && cmsStageInputChannels(stages[j]) == 3 && cmsStageOutputChannels(stages[j]) == 3) {
        const auto *md = static_cast<const _cmsStageMatrixData *>(cmsStageData(stages[j]));
        double m[9], o[3];
        for (int r = 0; r < 3; ++r) {
            o[r] = md->Offset ? md->Offset[r] : 0.0;
            for (int c = 0; c < 3; ++c) {
                if (impl->affine) {
                    m[r * 3 + c] = 0;
                    for (int k = 0; k < 3; ++k)
                        m[r * 3 + c] += md->Double[r * 3 + k] * impl->matrix[k * 3 + c];
                } else {
                    m[r * 3 + c] = md->Double[r * 3 + c];
                }
            }
            if (impl->affine)
                for (int k = 0; k < 3; ++k)
                    o[r] += md->Double[r * 3 + k] * impl->offset[k];
        }
        std::memcpy(impl->matrix, m, sizeof m);
        std::memcpy(impl->offset, o, sizeof o);
        impl->affine = true;
        ++j;
    }
    // Curves that change nothing add nothing before the final rounding.
    std::vector<cmsStage *> left;
    for (; j < stages.size(); ++j)
        if (!is_identity_curves(stages[j]))
            left.push_back(stages[j]);
    if (!left.empty()) {
        impl->rest = sub_pipeline(ctx, left, 0, left.size());
        if (!impl->rest)
            return nullptr;
    }
    return std::unique_ptr<ExactChain>(new ExactChain(std::move(impl)));
}

bool ExactChain::converts(const Layout &in, const Layout &out) const
{
    if (in.format != BitmapFormat::rgb16 || in.extra < 0 || out.extra < 0 || impl_->channels != 3)
        return false;
    switch (out.format) {
    case BitmapFormat::rgb8:
    case BitmapFormat::rgb16:
    case BitmapFormat::xyz16: return true;
    case BitmapFormat::lab16: return !out.reversed && out.extra == 0;
    default: return false;
    }
}

void ExactChain::convert_rows(const uint8_t *in, const Layout &il, std::size_t width,
                              std::size_t rows, std::size_t in_stride, uint8_t *out,
                              const Layout &ol, std::size_t out_stride) const
{
    const Impl &d = *impl_;
    const std::size_t in_pixel = std::size_t(3 + il.extra) * 2;
    const bool bytes = ol.format == BitmapFormat::rgb8;
    const bool lab = ol.format == BitmapFormat::lab16;
    const std::size_t out_pixel = std::size_t(3 + ol.extra) * (bytes ? 1 : 2);
    const uint16_t *in_table = d.in_table.data();
    const float *post = d.post.data();
    const int n = d.table_out;
    for (std::size_t y = 0; y < rows; ++y) {
        const uint8_t *s = in + y * in_stride;
        uint8_t *o = out + y * out_stride;
        for (std::size_t x = 0; x < width; ++x, s += in_pixel, o += out_pixel) {
            uint16_t w[3];
            std::memcpy(w, s, 6);
            if (il.reversed)
                std::swap(w[0], w[2]);
            const uint16_t table_in[3] = {in_table[w[0]], in_table[kWords + w[1]],
                                          in_table[2 * kWords + w[2]]};
            uint16_t table_out[kMaxOut];
            d.table->Interpolation.Lerp16(table_in, table_out, d.table);
            float v[kMaxOut];
            if (d.affine) {
                const double a = post[table_out[0]], b = post[kWords + table_out[1]],
                             c = post[2 * kWords + table_out[2]];
                for (int r = 0; r < 3; ++r)
                    v[r] = float(d.matrix[r * 3] * a + d.matrix[r * 3 + 1] * b
                                 + d.matrix[r * 3 + 2] * c + d.offset[r]);
            } else {
                for (int c = 0; c < n; ++c)
                    v[c] = post[std::size_t(c) * kWords + table_out[c]];
            }
            if (d.rest) {
                float r[kMaxOut];
                cmsPipelineEvalFloat(v, r, d.rest.get());
                std::memcpy(v, r, sizeof r);
            }
            uint16_t word[3];
            for (int c = 0; c < 3; ++c)
                word[c] = lab && c > 0 ? saturate_word(std::min(1.0, double(v[c])) * 65280.0)
                                       : saturate_word(double(v[c]) * 65535.0);
            if (ol.reversed)
                std::swap(word[0], word[2]);
            if (bytes) {
                for (int c = 0; c < 3; ++c)
                    o[c] = word_to_byte(word[c]);
            } else {
                std::memcpy(o, word, 6);
            }
        }
    }
}

void ExactChain::convert(const void *in, const Layout &il, std::size_t width, std::size_t height,
                         std::size_t in_stride, void *out, const Layout &ol,
                         std::size_t out_stride) const
{
    const uint8_t *src = static_cast<const uint8_t *>(in);
    uint8_t *dst = static_cast<uint8_t *>(out);
    // Bands of at least 64k pixels, one per core.
    const std::size_t cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    const std::size_t bands =
        std::max<std::size_t>(1, std::min({cores, height, width * height / 65536 + 1}));
    const std::size_t rows = (height + bands - 1) / bands;
    std::vector<std::thread> workers;
    for (std::size_t b = 1; b < bands; ++b) {
        const std::size_t y0 = b * rows;
        if (y0 >= height)
            break;
        const std::size_t n = std::min(rows, height - y0);
        auto band = [=] {
            convert_rows(src + y0 * in_stride, il, width, n, in_stride, dst + y0 * out_stride, ol,
                         out_stride);
        };
        try {
            workers.emplace_back(band);
        } catch (const std::system_error &) {
            band();
        }
    }
    convert_rows(src, il, width, std::min(rows, height), in_stride, dst, ol, out_stride);
    for (std::thread &t : workers)
        t.join();
}

}  // namespace cms
}  // namespace platform
