#include <chart/RawDecoder.h>
#include <chart/RawImage.h>

#include <libraw.h>

#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

struct DecodeOptions {
    bool verbose = false;
    bool linear16 = false;
    int outputColor = 1;
    float mul[4] = {0, 0, 0, 0};
    bool userMul = false;
    const char* file = nullptr;
};

bool parseNumber(const char* text, double lo, double hi, double& value)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end && *end == '\0' && value >= lo && value <= hi;
}

bool parseOptions(int argc, const char* const* argv, DecodeOptions& o)
{
    if (argc < 2 || !argv)
        return false;
    int i = 1;
    for (; i < argc - 1; ++i) {
        const char* a = argv[i];
        if (!a)
            return false;
        if (std::strcmp(a, "-v") == 0)
            o.verbose = true;
        else if (std::strcmp(a, "-T") == 0)
            ;  // the memory sink takes the place of the TIFF file
        else if (std::strcmp(a, "-4") == 0)
            o.linear16 = true;
        else if (std::strcmp(a, "-o") == 0) {
            double v = 0;
            if (i + 1 >= argc - 1 || !parseNumber(argv[i + 1], 0, 6, v) || v != int(v))
                return false;
            o.outputColor = int(v);
            ++i;
        } else if (std::strcmp(a, "-r") == 0) {
            if (i + 4 >= argc - 1)
                return false;
            for (int k = 0; k < 4; ++k) {
                double v = 0;
                if (!parseNumber(argv[i + 1 + k], 0, 1e6, v))
                    return false;
                o.mul[k] = float(v);
            }
            o.userMul = true;
            i += 4;
        } else
            return false;
    }
    o.file = argv[argc - 1];
    return o.file && *o.file && o.file[0] != '-';
}

// Fractions of the end fraction reached at each decoder stage.
double stageFraction(LibRaw_progress stage, int iteration, int expected)
{
    switch (stage) {
    case LIBRAW_PROGRESS_START:
    case LIBRAW_PROGRESS_OPEN:
    case LIBRAW_PROGRESS_IDENTIFY:
    case LIBRAW_PROGRESS_SIZE_ADJUST: return 0.01;
    case LIBRAW_PROGRESS_LOAD_RAW: return 0.05;
    case LIBRAW_PROGRESS_RAW2_IMAGE:
    case LIBRAW_PROGRESS_REMOVE_ZEROES:
    case LIBRAW_PROGRESS_BAD_PIXELS:
    case LIBRAW_PROGRESS_DARK_FRAME: return 0.06;
    case LIBRAW_PROGRESS_FOVEON_INTERPOLATE:
    case LIBRAW_PROGRESS_SCALE_COLORS: return 0.08;
    case LIBRAW_PROGRESS_PRE_INTERPOLATE: return 0.09;
    case LIBRAW_PROGRESS_INTERPOLATE:
        if (expected > 0)
            return 0.1 + 0.8 * std::clamp(double(iteration) / expected, 0.0, 1.0);
        return 0.1;
    default: return 0.9;
    }
}

// Per-decode state: the hooks, the fraction last reported, and a watcher that
// polls the abort function while a long stage runs and cancels the decoder.
class Decode {
public:
    explicit Decode(const RawDecoderHooks& hooks) : m_hooks(hooks) {}

    void report(double fraction)
    {
        std::lock_guard<std::mutex> lock(m_reportMutex);
        fraction = std::min(1.0, fraction) * m_hooks.endFraction;
        if (fraction <= m_last)
            return;
        m_last = fraction;
        if (m_hooks.progress)
            m_hooks.progress(m_hooks.context, fraction);
    }
    bool abortRequested()
    {
        if (m_cancelled.load())
            return true;
        if (m_hooks.abort && m_hooks.abort(m_hooks.context))
            m_cancelled = true;
        return m_cancelled.load();
    }
    bool cancelled() const { return m_cancelled.load(); }

    static int progressCallback(void* data, LibRaw_progress stage, int iteration, int expected)
    {
        auto* self = static_cast<Decode*>(data);
        self->report(stageFraction(stage, iteration, expected));
        return self->abortRequested() ? 1 : 0;
    }

    void startWatch(LibRaw* raw)
    {
        if (!m_hooks.abort)
            return;
        m_watcher = std::thread([this, raw] {
            std::unique_lock<std::mutex> lock(m_watchMutex);
            while (!m_stop) {
                m_watchWake.wait_for(lock, std::chrono::milliseconds(10));
                if (m_stop)
                    break;
                lock.unlock();
                const bool abort = abortRequested();
                lock.lock();
                if (abort) {
                    raw->setCancelFlag();
                    break;
                }
            }
        });
    }
    void stopWatch()
    {
        if (!m_watcher.joinable())
            return;
        {
            std::lock_guard<std::mutex> lock(m_watchMutex);
            m_stop = true;
        }
        m_watchWake.notify_all();
        m_watcher.join();
    }
    ~Decode() { stopWatch(); }

private:
    const RawDecoderHooks& m_hooks;
    std::mutex m_reportMutex;
    double m_last = -1.0;
    std::atomic<bool> m_cancelled{false};
    std::thread m_watcher;
    std::mutex m_watchMutex;
    std::condition_variable m_watchWake;
    bool m_stop = false;
};

// Where each colour's sites lie in a 2 x 2 block of a Bayer mosaic (the
// mean of a colour's sites), and the value of a colour at a pixel of the
// frame interpolated between the blocks of a half-size image.
class BlockSites {
public:
    void add(int c, int y, int x)
    {
        m_y[c] = (m_y[c] * m_count[c] + y) / (m_count[c] + 1);
        m_x[c] = (m_x[c] * m_count[c] + x) / (m_count[c] + 1);
        ++m_count[c];
    }
    // The two blocks around a frame coordinate along one axis and the weight
    // of the second, for a colour whose sites lie at site within a block:
    // the block whose site is at block coordinate k lies at frame
    // coordinate 2 k + site.
    struct Tap {
        int i0, i1;
        double w;
    };
    static Tap tap(double site, int coordinate, int blocks)
    {
        const double b = std::clamp((coordinate - site) / 2.0, 0.0, blocks - 1.0);
        const int i0 = int(b);
        return {i0, std::min(i0 + 1, blocks - 1), b - i0};
    }
    Tap rowTap(int c, int row, int blocks) const { return tap(m_y[c], row, blocks); }
    Tap columnTap(int c, int col, int blocks) const { return tap(m_x[c], col, blocks); }
    static std::uint16_t sample(const ushort (*image)[4], int width, int c, const Tap& y,
                                const Tap& x)
    {
        const ushort(*r0)[4] = image + std::size_t(y.i0) * width;
        const ushort(*r1)[4] = image + std::size_t(y.i1) * width;
        const double v = (r0[x.i0][c] * (1 - x.w) + r0[x.i1][c] * x.w) * (1 - y.w)
                         + (r1[x.i0][c] * (1 - x.w) + r1[x.i1][c] * x.w) * y.w;
        // A mean of samples with weights that add up to 1: never below 0.
        return std::uint16_t(std::min(v + 0.5, 65535.0));
    }

private:
    double m_y[3] = {0, 0, 0}, m_x[3] = {0, 0, 0};
    int m_count[3] = {0, 0, 0};
};

// The library's decoder without the work whose result nothing here reads:
// with the camera's own colours kept, the colour conversion's pass over the
// picture only counts a histogram for the library's own writers.
class Decoder : public LibRaw {
public:
    Decoder() : LibRaw(LIBRAW_OPTIONS_NONE) {}

protected:
    void convert_to_rgb_loop(float outCam[3][4]) override
    {
        if (!libraw_internal_data.internal_output_params.raw_color)
            LibRaw::convert_to_rgb_loop(outCam);
    }
};

// The sink's shrink factor for a frame whose longer side is longer.
int shrinkFactor(int longer, int maxSize)
{
    return (maxSize > 0 && maxSize < longer) ? longer / maxSize : 1;
}

void quietData(void*, const char*, const int) {}
void quietMemory(void*, const char*, const char*) {}

RawDecoderResult resultOf(int code, const Decode& decode)
{
    if (code == LIBRAW_CANCELLED_BY_CALLBACK || decode.cancelled())
        return RAW_DECODE_CANCELLED;
    if (code == LIBRAW_UNSUFFICIENT_MEMORY)
        return RAW_DECODE_NO_MEMORY;
    return RAW_DECODE_FAILED;
}

QString text64(const char* s)
{
    return QString::fromLatin1(s, int(strnlen(s, 64))).trimmed();
}

}  // namespace

RawDecoderResult rawDecoderMain(int argc, const char* const* argv, RawImage* sink, int maxSize,
                                const RawDecoderHooks& hooks)
{
    DecodeOptions options;
    if (!sink || !parseOptions(argc, argv, options) || !options.linear16)
        return RAW_DECODE_BAD_ARGUMENTS;
    sink->clear();

    std::unique_ptr<Decoder> raw(new (std::nothrow) Decoder);
    if (!raw)
        return RAW_DECODE_NO_MEMORY;
    Decode decode(hooks);
    raw->set_dataerror_handler(quietData, nullptr);
    raw->set_memerror_handler(quietMemory, nullptr);
    raw->set_progress_handler(&Decode::progressCallback, &decode);

    libraw_output_params_t& p = raw->imgdata.params;
    p.output_bps = 16;
    p.gamm[0] = 1.0;
    p.gamm[1] = 1.0;
    p.no_auto_bright = 1;
    p.output_color = options.outputColor;
    p.use_camera_wb = 0;
    p.use_auto_wb = 0;
    p.adjust_maximum_thr = 0.0f;  // keep the camera's white level, as is
    if (options.userMul)
        std::copy(options.mul, options.mul + 4, p.user_mul);

    if (raw->open_file(options.file) != LIBRAW_SUCCESS)
        return decode.cancelled() ? RAW_DECODE_CANCELLED : RAW_DECODE_OPEN_FAILED;
    if (decode.abortRequested())
        return RAW_DECODE_CANCELLED;
    // A Bayer mosaic that the sink takes shrunk by two or more needs no
    // demosaic: each 2 x 2 block of the mosaic gives one pixel of its own
    // red, green (both greens averaged) and blue, and each sample the sink
    // takes is interpolated from the blocks around it, every channel from
    // where its sites lie in the blocks.
    const libraw_image_sizes_t& s = raw->imgdata.sizes;
    const int frameWidth = s.width, frameHeight = s.height;
    const bool halfSize = shrinkFactor(std::max(frameWidth, frameHeight), maxSize) >= 2
                          && raw->imgdata.idata.filters > 1000 && raw->imgdata.idata.colors == 3
                          && !raw->is_fuji_rotated() && s.pixel_aspect == 1.0;
    BlockSites sites;
    if (halfSize)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) {
                const int c = raw->COLOR(y, x) == 3 ? 1 : raw->COLOR(y, x);
                if (c < 0 || c > 2)
                    return RAW_DECODE_FAILED;
                sites.add(c, y, x);
            }
    p.half_size = halfSize ? 1 : 0;
    decode.startWatch(raw.get());
    int code = raw->unpack();
    if (code == LIBRAW_SUCCESS) {
        decode.report(0.05);
        code = raw->dcraw_process();
    }
    decode.stopWatch();
    if (code != LIBRAW_SUCCESS)
        return resultOf(code, decode);
    if (decode.abortRequested())
        return RAW_DECODE_CANCELLED;
    decode.report(0.92);

    const int colors = raw->imgdata.idata.colors;
    const ushort(*image)[4] = raw->imgdata.image;
    const int iw = s.iwidth, ih = s.iheight, flip = s.flip;
    // The frame in the decoded image's pixels before any flip.
    const int shift = halfSize ? 1 : 0;  // frame pixels per block side, as a shift
    const int fullWidth = halfSize ? frameWidth : iw, fullHeight = halfSize ? frameHeight : ih;
    if (!image || iw < 1 || ih < 1 || colors < 1 || colors > 4 || (halfSize && colors != 3)
        || fullWidth < 1 || fullHeight < 1 || ((fullWidth - 1) >> shift) >= iw
        || ((fullHeight - 1) >> shift) >= ih)
        return RAW_DECODE_FAILED;
    const int w = (flip & 4) ? fullHeight : fullWidth;
    const int h = (flip & 4) ? fullWidth : fullHeight;
    const int f = shrinkFactor(std::max(w, h), maxSize);
    const int ow = w / f, oh = h / f;
    const libraw_iparams_t& id = raw->imgdata.idata;
    if (!sink->allocate(ow, oh, colors, 16, text64(id.make), text64(id.model), text64(id.software),
                        w, h))
        return RAW_DECODE_NO_MEMORY;

    // The frame row and column of each taken pixel before the flip: an output
    // pixel (row, col) lies at frame row rows[row] and column columns[col],
    // or, when the flip swaps the axes, at rows[col] and columns[row].
    const bool swapAxes = (flip & 4) != 0;
    std::vector<int> rows(std::size_t(swapAxes ? ow : oh)), columns(std::size_t(swapAxes ? oh : ow));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = (flip & 2) ? fullHeight - 1 - int(i) * f : int(i) * f;
    for (std::size_t i = 0; i < columns.size(); ++i)
        columns[i] = (flip & 1) ? fullWidth - 1 - int(i) * f : int(i) * f;
    std::vector<BlockSites::Tap> rowTaps, columnTaps;
    if (halfSize) {
        rowTaps.resize(rows.size() * std::size_t(colors));
        columnTaps.resize(columns.size() * std::size_t(colors));
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (int k = 0; k < colors; ++k)
                rowTaps[i * std::size_t(colors) + std::size_t(k)] = sites.rowTap(k, rows[i], ih);
        for (std::size_t i = 0; i < columns.size(); ++i)
            for (int k = 0; k < colors; ++k)
                columnTaps[i * std::size_t(colors) + std::size_t(k)] =
                    sites.columnTap(k, columns[i], iw);
    }

    auto writeRows = [&](int first, int last) {
        for (int row = first; row < last; ++row) {
            std::uint16_t* out = sink->rowData16(row);
            for (int col = 0; col < ow; ++col) {
                const std::size_t ri = std::size_t(swapAxes ? col : row);
                const std::size_t ci = std::size_t(swapAxes ? row : col);
                if (halfSize) {
                    const BlockSites::Tap* ty = &rowTaps[ri * std::size_t(colors)];
                    const BlockSites::Tap* tx = &columnTaps[ci * std::size_t(colors)];
                    for (int k = 0; k < colors; ++k)
                        *out++ = BlockSites::sample(image, iw, k, ty[k], tx[k]);
                    continue;
                }
                const ushort* px = image[std::size_t(rows[ri]) * iw + std::size_t(columns[ci])];
                for (int k = 0; k < colors; ++k)
                    *out++ = px[k];
            }
        }
    };
    // Bands of rows shared among a few threads; this thread reports progress
    // and polls the abort function after each band it finishes, the others
    // stop at the next band once the decode is cancelled.
    constexpr int kBandRows = 64;
    const int bands = (oh + kBandRows - 1) / kBandRows;
    std::atomic<int> nextBand{0}, bandsDone{0};
    auto work = [&](bool reporting) {
        while (!decode.cancelled()) {
            const int band = nextBand++;
            if (band >= bands)
                return;
            writeRows(band * kBandRows, std::min(oh, (band + 1) * kBandRows));
            const int done = ++bandsDone;
            if (reporting) {
                decode.report(0.92 + 0.08 * double(done) / bands);
                decode.abortRequested();
            }
        }
    };
    std::vector<std::thread> helpers;
    const unsigned cores = std::thread::hardware_concurrency();
    const int helperCount = std::min(bands - 1, int(std::min(cores, 4u)) - 1);
    try {
        helpers.reserve(std::size_t(std::max(0, helperCount)));
        for (int i = 0; i < helperCount; ++i)
            helpers.emplace_back(work, false);
    } catch (const std::exception&) {
        // No thread or no room for one: the threads started and this one do the work.
    }
    work(true);
    for (std::thread& helper : helpers)
        helper.join();
    if (decode.abortRequested()) {
        sink->clear();
        return RAW_DECODE_CANCELLED;
    }
    return RAW_DECODE_OK;
}
