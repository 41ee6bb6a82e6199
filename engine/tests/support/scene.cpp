// Scene model: a flat chart (dark body, square patches with gaps, optional
// light frame, labels and corner marks, a label strip of light text blocks)
// on a mottled, striped, cluttered, woven, carpet or printed-paper background, seen through a homography (rotation up to 25 degrees, mild
// perspective, 25 to 90 per cent of the frame), lit unevenly with
// vignetting and an exposure error of up to a stop, then blurred and given
// noise. Rendering is done in linear light with 2 x 2 supersampling.
#include "scene.h"

#include "engine/colour_maths.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct rng {
    uint64_t s;
    explicit rng(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    uint64_t next()
    {
        s += 0x9E3779B97F4A7C15ull;
        uint64_t z = s;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double a, double b) { return a + (b - a) * uniform(); }
    int pick(int n) { return int(uniform() * n) % n; }
    double normal()
    {
        const double u1 = std::max(1e-300, uniform()), u2 = uniform();
        return std::sqrt(-2 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }
};

double to_linear(double v)
{
    v /= 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double to_byte(double l)
{
    l = std::clamp(l, 0.0, 1.0);
    const double v = l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
    return v * 255.0;
}

struct colour {
    double r, g, b;  // linear
};

colour lin(double r, double g, double b)
{
    return {to_linear(r), to_linear(g), to_linear(b)};
}

// Smooth value noise in 0..1.
struct value_noise {
    int n;
    std::vector<double> grid;
    value_noise(rng &r, int size) : n(size), grid(size_t(size * size))
    {
        for (auto &v : grid)
            v = r.uniform();
    }
    double at(double x, double y) const
    {
        x = std::clamp(x, 0.0, n - 1.001);
        y = std::clamp(y, 0.0, n - 1.001);
        const int ix = int(x), iy = int(y);
        const double fx = x - ix, fy = y - iy;
        const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
        auto g = [&](int a, int b) { return grid[size_t(b * n + a)]; };
        const double top = g(ix, iy) * (1 - sx) + g(ix + 1, iy) * sx;
        const double bot = g(ix, iy + 1) * (1 - sx) + g(ix + 1, iy + 1) * sx;
        return top * (1 - sy) + bot * sy;
    }
};

// Hash of an integer lattice point to 0..1.
double hash01(int64_t x, int64_t y, uint64_t salt)
{
    uint64_t z = uint64_t(x) * 0x9E3779B97F4A7C15ull ^ uint64_t(y) * 0xC2B2AE3D27D4EB4Full ^ salt;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * (1.0 / 9007199254740992.0);
}

// Unbounded smooth value noise in 0..1, one lattice step per unit.
double lattice_noise(double x, double y, uint64_t salt)
{
    const double fx0 = std::floor(x), fy0 = std::floor(y);
    const int64_t ix = int64_t(fx0), iy = int64_t(fy0);
    const double fx = x - fx0, fy = y - fy0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = hash01(ix, iy, salt) * (1 - sx) + hash01(ix + 1, iy, salt) * sx;
    const double bot = hash01(ix, iy + 1, salt) * (1 - sx) + hash01(ix + 1, iy + 1, salt) * sx;
    return top * (1 - sy) + bot * sy;
}

colour scaled(const colour &c, double f)
{
    return {c.r * f, c.g * f, c.b * f};
}

colour mixed(const colour &a, const colour &b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Fine textures that fill the frame: woven fabric, carpet, printed paper.
// Sampled at image positions (pixels).
struct texture_model {
    int kind = background_mottled;
    double pitch = 4;         // thread spacing, tuft size or text line height
    double ca = 1, sa = 0;    // direction of the weave or the text lines
    bool twill = false;
    colour a{}, b{}, c{};     // warp and weft / two yarns and a pattern / paper, ink, picture
    uint64_t salt = 0;
    double design = 80;       // carpet pattern or paper column size, pixels

    colour at(double x, double y) const
    {
        const double s = (x * ca + y * sa) / pitch, t = (-x * sa + y * ca) / pitch;
        switch (kind) {
        case background_fabric:
        case background_fabric_two: {
            const double fi = std::floor(s), fj = std::floor(t);
            const int64_t i = int64_t(fi), j = int64_t(fj);
            const double fs = s - fi, ft = t - fj;
            const bool warp = twill ? (((i - j) % 4 + 4) % 4) < 2 : ((i + j) & 1) == 0;
            const double across = warp ? fs : ft, along = warp ? ft : fs;
            const double shade = (0.35 + 0.65 * std::pow(std::sin(M_PI * across), 0.7)) *
                                 (0.8 + 0.2 * std::sin(M_PI * along));
            const double thread = 0.85 + 0.3 * hash01(warp ? i : j, warp ? 0 : 1, salt);
            return scaled(warp ? a : b, shade * thread);
        }
        case background_carpet: {
            const double tuft = 0.55 * lattice_noise(s, t, salt) +
                                0.3 * lattice_noise(2.1 * s, 2.1 * t, salt + 1) +
                                0.15 * hash01(int64_t(std::floor(2 * x)), int64_t(std::floor(2 * y)), salt + 2);
            const double yarn = lattice_noise(0.7 * s + 50, 0.7 * t, salt + 3) > 0.5 ? 1.0 : 0.0;
            const double u = (x * ca + y * sa) / design, v = (-x * sa + y * ca) / design;
            const bool figure = std::sin(M_PI * u) * std::sin(M_PI * v) > 0.35;
            const colour yarn_colour = mixed(a, b, 0.65 * yarn);
            return scaled(figure ? mixed(yarn_colour, c, 0.8) : yarn_colour, 0.4 + 1.1 * tuft);
        }
        case background_printed_paper: {
            // A page in columns: lines of glyphs with word gaps, paragraph
            // breaks, and here and there a halftone picture.
            const double column_width = design, column_gap = 1.5 * pitch;
            const double cu = (x * ca + y * sa), cv = (-x * sa + y * ca);
            const double fc = std::floor(cu / (column_width + column_gap));
            const double in_column = cu - fc * (column_width + column_gap);
            if (in_column > column_width)
                return a;
            const double line = std::floor(cv / pitch);
            const int64_t col = int64_t(fc), row = int64_t(line);
            const int64_t block = int64_t(std::floor(cv / (9 * pitch)));
            if (hash01(col, block, salt + 7) < 0.15) {
                const double dot = 0.4 * pitch;
                const double du = cu / dot - std::floor(cu / dot) - 0.5;
                const double dv = cv / dot - std::floor(cv / dot) - 0.5;
                const double tone = lattice_noise(cu / (3 * pitch), cv / (3 * pitch), salt + 8);
                return du * du + dv * dv < 0.5 * tone ? c : a;
            }
            if (hash01(col, row, salt + 5) < 0.12)  // paragraph break or short line
                return a;
            const double fy = cv / pitch - line;
            if (fy < 0.2 || fy > 0.8)
                return a;
            const double glyph = 0.55 * pitch;
            const double g = std::floor(in_column / glyph);
            const int64_t gi = int64_t(g) + col * 1000;
            if (hash01(gi, row, salt + 6) < 0.18)  // word gap
                return a;
            const int bx = std::min(3, int((in_column / glyph - g) * 4));
            const int by = std::min(3, int((fy - 0.2) / 0.6 * 4));
            if (bx == 3)
                return a;
            return hash01(gi * 16 + bx * 4 + by, row, salt + 9) < 0.45 ? b : a;
        }
        default:
            return a;
        }
    }
};

// A block of light text in the label strip, in chart units.
struct text_block {
    double u0, v0, u1, v1;
    double line;  // line height
};

struct chart_model {
    int columns, rows;
    double gap, margin, frame;
    bool labels, marks;
    colour body, frame_colour, ink;
    std::vector<colour> patches;
    // Label strip: side 0 right, 1 left, 2 below, 3 above; -1 none.
    int strip_side = -1;
    double strip = 0;  // its width beyond the margin
    colour strip_ink{};
    std::vector<text_block> blocks;
    uint64_t salt = 0;

    // Body rectangle in chart units.
    double body_u0() const { return -margin - (strip_side == 1 ? strip : 0); }
    double body_u1() const { return columns + margin + (strip_side == 0 ? strip : 0); }
    double body_v0() const { return -margin - (strip_side == 3 ? strip : 0); }
    double body_v1() const { return rows + margin + (strip_side == 2 ? strip : 0); }

    double pixel = 0.01;  // one pixel in chart units

    // Share of ink at (u, v): type smaller than the camera resolves comes out
    // as an even tone.
    double text_at(double u, double v) const
    {
        for (const auto &b : blocks) {
            if (u < b.u0 || u >= b.u1 || v < b.v0 || v >= b.v1)
                continue;
            if (b.line < 2.5 * pixel)
                return 0.3;
            // Lines of small glyphs: three strokes wide, four high, then a space.
            const double lh = b.line;
            const double fl = (v - b.v0) / lh;
            const int line = int(fl);
            const double fy = fl - line;
            if (fy < 0.15 || fy > 0.85)
                return 0;
            const double glyph = 0.6 * lh;
            const double fg = (u - b.u0) / glyph;
            const int64_t g = int64_t(fg);
            const int bx = std::min(3, int((fg - double(g)) * 4));
            const int by = std::min(3, int((fy - 0.15) / 0.7 * 4));
            if (bx == 3 || hash01(g, line, salt + 1) < 0.15)
                return 0;
            return hash01(g * 16 + bx * 4 + by, line, salt + 2) < 0.5 ? 1 : 0;
        }
        return 0;
    }

    // Chart coordinates: the grid spans [0, columns] x [0, rows].
    bool colour_at(double u, double v, colour *out) const
    {
        const double m = margin, f = frame;
        const double bu0 = body_u0(), bu1 = body_u1(), bv0 = body_v0(), bv1 = body_v1();
        if (u < bu0 - f || v < bv0 - f || u > bu1 + f || v > bv1 + f)
            return false;
        if (u < bu0 || v < bv0 || u > bu1 || v > bv1) {
            *out = frame_colour;
            return true;
        }
        if (u >= 0 && v >= 0 && u < columns && v < rows) {
            const int c = int(u), r = int(v);
            const double fu = u - c, fv = v - r;
            const double h = gap / 2;
            if (fu > h && fu < 1 - h && fv > h && fv < 1 - h) {
                *out = patches[size_t(r * columns + c)];
                return true;
            }
            *out = body;
            return true;
        }
        *out = body;
        if (!blocks.empty()) {
            const double ink = text_at(u, v);
            if (ink > 0) {
                *out = mixed(body, strip_ink, ink);
                return true;
            }
        }
        if (labels && m >= 0.45) {
            // Glyph-like marks centred in the margin beside each column and row.
            double du = -1, dv = -1;
            if (v < 0 && u > 0 && u < columns) {
                du = u - std::floor(u) - 0.5;
                dv = v + m / 2;
            } else if (u < 0 && v > 0 && v < rows) {
                du = u + m / 2;
                dv = v - std::floor(v) - 0.5;
            }
            if (du > -1 && std::fabs(du) < 0.12 && std::fabs(dv) < 0.16) {
                const bool stroke = std::fabs(du) > 0.08 || std::fabs(dv) > 0.12 ||
                                    std::fabs(dv) < 0.025;
                if (stroke)
                    *out = ink;
            }
        }
        if (marks) {
            const double cu[2] = {-m / 2, columns + m / 2}, cv[2] = {-m / 2, rows + m / 2};
            for (double a : cu)
                for (double b : cv) {
                    const double da = std::fabs(u - a), db = std::fabs(v - b);
                    if ((da < 0.03 && db < 0.18) || (db < 0.03 && da < 0.18))
                        *out = ink;
                }
        }
        return true;
    }
};

Eigen::Matrix3d homography_from(const double src[4][2], const double dst[4][2])
{
    Eigen::Matrix<double, 8, 8> a;
    Eigen::Matrix<double, 8, 1> b;
    for (int k = 0; k < 4; ++k) {
        const double x = src[k][0], y = src[k][1], u = dst[k][0], v = dst[k][1];
        a.row(2 * k) << x, y, 1, 0, 0, 0, -u * x, -u * y;
        a.row(2 * k + 1) << 0, 0, 0, x, y, 1, -v * x, -v * y;
        b(2 * k) = u;
        b(2 * k + 1) = v;
    }
    const Eigen::Matrix<double, 8, 1> h = a.fullPivLu().solve(b);
    Eigen::Matrix3d m;
    m << h(0), h(1), h(2), h(3), h(4), h(5), h(6), h(7), 1;
    return m;
}

void gaussian_blur(std::vector<colour> &img, int w, int h, double sigma)
{
    if (sigma < 0.3)
        return;
    const int r = int(std::ceil(3 * sigma));
    std::vector<double> k(size_t(2 * r + 1));
    double sum = 0;
    for (int i = -r; i <= r; ++i)
        sum += k[size_t(i + r)] = std::exp(-0.5 * i * i / (sigma * sigma));
    for (auto &v : k)
        v /= sum;
    std::vector<colour> tmp(img.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            colour c{0, 0, 0};
            for (int i = -r; i <= r; ++i) {
                const colour &s = img[size_t(y * w + std::clamp(x + i, 0, w - 1))];
                const double f = k[size_t(i + r)];
                c.r += f * s.r;
                c.g += f * s.g;
                c.b += f * s.b;
            }
            tmp[size_t(y * w + x)] = c;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            colour c{0, 0, 0};
            for (int i = -r; i <= r; ++i) {
                const colour &s = tmp[size_t(std::clamp(y + i, 0, h - 1) * w + x)];
                const double f = k[size_t(i + r)];
                c.r += f * s.r;
                c.g += f * s.g;
                c.b += f * s.b;
            }
            img[size_t(y * w + x)] = c;
        }
}

}  // namespace

scene_params chart_scene_params(uint64_t seed, int index)
{
    rng r(seed * 1000003ull + uint64_t(index));
    scene_params p;
    p.seed = r.next();

    // Sizes the image item hands over: camera frames reduced by the whole
    // factor max(1, shorter side / 500).
    static const int frames[][2] = {{6000, 4000}, {4000, 3000}, {5472, 3648}, {8256, 5504},
                                    {7952, 5304}, {3008, 2000}, {4608, 3456}, {6720, 4480},
                                    {1920, 1080}, {2560, 1920}, {1600, 1200}, {900, 700}};
    const int *frame = frames[r.pick(12)];
    int fw = frame[0], fh = frame[1];
    if (r.uniform() < 0.25)
        std::swap(fw, fh);
    const int f = std::max(1, std::min(fw, fh) / 500);
    p.width = int(std::lround(double(fw) / f));
    p.height = int(std::lround(double(fh) / f));

    static const int layouts[][2] = {{6, 4}, {4, 6}, {14, 10}, {10, 14}, {12, 8},
                                     {8, 12}, {7, 5}, {5, 7},   {6, 6},   {9, 6}};
    const int *layout = layouts[index % 10];
    p.columns = layout[0];
    p.rows = layout[1];
    p.gap = r.range(0.08, 0.25);
    p.border = r.uniform() > 0.2;
    p.margin = p.border ? r.range(0.3, 1.2) : 0.0;
    p.frame = p.border && r.uniform() < 0.4 ? r.range(0.15, 0.5) : 0.0;
    p.labels = r.uniform() < 0.5;
    p.marks = r.uniform() < 0.4;
    p.body = r.range(12, 55);
    p.angle = r.range(-25, 25);
    p.span = r.range(0.25, 0.9);
    p.cx = r.uniform();
    p.cy = r.uniform();
    p.perspective = r.range(0.0, 0.04);
    p.background = r.pick(3);
    p.clutter = p.background == 2 ? 10 + r.pick(30) : r.pick(6);
    p.ev = r.range(-1, 1);
    p.ramp_x = r.range(-0.4, 0.4);
    p.ramp_y = r.range(-0.4, 0.4);
    p.vignette = r.range(0, 0.5);
    p.blur = r.uniform() < 0.3 ? 0 : r.range(0.3, 1.5);
    p.noise = r.range(0, 6);
    // A fine texture fills the whole frame in many photographs: charts laid
    // on fabric (often with a dark-grey body), carpet or printed paper.
    if (r.uniform() < 0.35) {
        p.background = background_fabric + r.pick(4);
        p.texture = p.background == background_printed_paper ? r.range(5, 12) : r.range(2.5, 6);
        p.clutter = r.pick(4);
        if (p.background <= background_fabric_two && r.uniform() < 0.5)
            p.body = r.range(50, 90);
    }
    p.text_strip = p.border && r.uniform() < 0.12;
    return p;
}

void make_chart_scene(uint64_t seed, int index, chart_scene &out)
{
    render_chart_scene(chart_scene_params(seed, index), out);
}

void render_chart_scene(const scene_params &sp, chart_scene &out)
{
    rng r(sp.seed);
    const int w = sp.width, h = sp.height;

    chart_model chart;
    chart.columns = sp.columns;
    chart.rows = sp.rows;
    chart.gap = sp.gap;
    chart.margin = sp.border ? sp.margin : sp.gap / 2;
    chart.frame = sp.border ? sp.frame : 0.0;
    chart.labels = sp.labels;
    chart.marks = sp.marks;
    const double bodyv = sp.body;
    chart.body = lin(bodyv, bodyv * r.range(0.95, 1.05), bodyv * r.range(0.95, 1.08));
    const double framev = r.range(190, 245);
    chart.frame_colour = lin(framev, framev, framev * r.range(0.95, 1.0));
    chart.ink = lin(200, 200, 200);
    for (int k = 0; k < chart.columns * chart.rows; ++k) {
        if (r.uniform() < 0.2) {
            const double v = r.range(20, 245);
            chart.patches.push_back(lin(v, v, v));
        } else {
            chart.patches.push_back(lin(r.range(25, 245), r.range(25, 245), r.range(25, 245)));
        }
    }

    // The label strip and the fine textures draw from a generator of their
    // own, so that scenes without them come out as they always have.
    rng extra(sp.seed ^ 0xA5A5F00DCAFE1234ull);
    chart.salt = extra.next();
    if (sp.text_strip) {
        chart.strip_side = extra.pick(4);
        chart.strip = extra.range(1.0, 2.5);
        const double ink = extra.range(150, 235);
        chart.strip_ink = lin(ink, ink, ink * extra.range(0.95, 1.0));
        // Blocks beside the rows (strip at the right or left) or the columns.
        const bool beside_rows = chart.strip_side < 2;
        const int lines = beside_rows ? chart.rows : chart.columns;
        const double room = chart.margin + chart.strip;
        for (int i = 0; i < lines; ++i) {
            const double width = extra.range(0.3, 0.85) * (1 - chart.gap);
            const double start = extra.range(std::max(0.12, chart.gap), 0.6);
            const double length = std::min(extra.range(0.5, 1.4), room - start - 0.1);
            const double centre = i + 0.5 + extra.range(-0.08, 0.08);
            const double line = extra.range(0.025, 0.07);
            if (extra.uniform() < 0.3 || length < 0.3)
                continue;
            text_block b;
            b.line = std::min(line, width);
            double a0 = centre - width / 2, a1 = centre + width / 2;
            double c0 = (beside_rows ? chart.columns : chart.rows) + start, c1 = c0 + length;
            if (chart.strip_side == 1 || chart.strip_side == 3) {
                c0 = -start - length;
                c1 = -start;
            }
            if (beside_rows) {
                b.u0 = c0, b.u1 = c1, b.v0 = a0, b.v1 = a1;
            } else {
                b.u0 = a0, b.u1 = a1, b.v0 = c0, b.v1 = c1;
            }
            chart.blocks.push_back(b);
        }
    }

    // The other page of a folder: a chart body of its own beside this one,
    // its cells `page_scale` of the chart's, with a fold between.
    chart_model page = chart;
    page.blocks.clear();
    page.strip_side = -1;
    page.labels = page.marks = false;
    page.frame = 0;
    double page_scale = 1, page_u = 0, page_v = 0;
    const bool two_pages = sp.second_page != page_none;
    if (two_pages) {
        rng folder(sp.seed ^ 0x5EC0DDA6E5F01D3Bull);
        page.patches.clear();
        for (int k = 0; k < page.columns * page.rows; ++k) {
            if (sp.second_page == page_grey) {
                const double v = folder.range(150, 235);
                page.patches.push_back(lin(v, v * folder.range(0.98, 1.02), v * folder.range(0.97, 1.03)));
            } else {
                page.patches.push_back(
                    lin(folder.range(25, 245), folder.range(25, 245), folder.range(25, 245)));
            }
        }
        page_scale = sp.second_page == page_grey ? folder.range(1.0, 1.35) : folder.range(0.9, 1.1);
        const double fold = folder.range(0.3, 1.2);
        const double page_w = (page.body_u1() - page.body_u0()) * page_scale;
        const bool right = folder.uniform() < 0.5;
        page_u = right ? chart.body_u1() + chart.frame + fold - page.body_u0() * page_scale
                       : chart.body_u0() - chart.frame - fold - page_w - page.body_u0() * page_scale;
        page_v = (chart.body_v0() + chart.body_v1()) / 2 -
                 (page.body_v0() + page.body_v1()) / 2 * page_scale;
    }
    auto page_colour = [&](double qu, double qv, colour *c) {
        return two_pages && page.colour_at((qu - page_u) / page_scale, (qv - page_v) / page_scale, c);
    };

    // Placement: chart units to pixels.
    double u0 = chart.body_u0() - chart.frame, v0 = chart.body_v0() - chart.frame;
    double u1 = chart.body_u1() + chart.frame, v1 = chart.body_v1() + chart.frame;
    if (two_pages) {
        u0 = std::min(u0, page_u + page.body_u0() * page_scale);
        u1 = std::max(u1, page_u + page.body_u1() * page_scale);
        v0 = std::min(v0, page_v + page.body_v0() * page_scale);
        v1 = std::max(v1, page_v + page.body_v1() * page_scale);
    }
    const double extent_u = u1 - u0, extent_v = v1 - v0;
    const double angle = sp.angle * M_PI / 180;
    const double span = sp.span;
    double k = span * std::min(w / extent_u, h / extent_v);
    const double ca = std::fabs(std::cos(angle)), sa = std::fabs(std::sin(angle));
    const double bw = k * (extent_u * ca + extent_v * sa), bh = k * (extent_u * sa + extent_v * ca);
    const double fit = std::min(1.0, 0.97 * std::min(w / bw, h / bh));
    k *= fit;
    chart.pixel = 1 / k;
    const double bw2 = bw * fit, bh2 = bh * fit;
    const double cx = bw2 / 2 + std::clamp(sp.cx, 0.0, 1.0) * std::max(0.0, w - bw2);
    const double cy = bh2 / 2 + std::clamp(sp.cy, 0.0, 1.0) * std::max(0.0, h - bh2);
    const double src[4][2] = {{u0, v0}, {u1, v0}, {u0, v1}, {u1, v1}};
    double dst[4][2];
    const double jitter = sp.perspective * k * std::max(extent_u, extent_v);
    for (int c = 0; c < 4; ++c) {
        const double du = src[c][0] - (u0 + u1) / 2, dv = src[c][1] - (v0 + v1) / 2;
        dst[c][0] = cx + k * (du * std::cos(angle) - dv * std::sin(angle)) + jitter * r.range(-1, 1);
        dst[c][1] = cy + k * (du * std::sin(angle) + dv * std::cos(angle)) + jitter * r.range(-1, 1);
    }
    const Eigen::Matrix3d to_image = homography_from(src, dst);
    const Eigen::Matrix3d to_chart = to_image.inverse();
    double m[9];
    for (int i = 0; i < 9; ++i)
        m[i] = to_chart(i / 3, i % 3);
    const double grid[4][2] = {{0, 0}, {double(chart.columns), 0}, {0, double(chart.rows)},
                               {double(chart.columns), double(chart.rows)}};
    for (int c = 0; c < 4; ++c) {
        const Eigen::Vector3d p = to_image * Eigen::Vector3d(grid[c][0], grid[c][1], 1);
        out.x[c] = p.x() / p.z() / w;
        out.y[c] = p.y() / p.z() / h;
    }

    // Background: a smooth field with texture, and clutter.
    const int kind = std::clamp(sp.background, 0, int(background_count) - 1);
    value_noise coarse(r, 8), fine(r, 64);
    const colour base = lin(r.range(40, 220), r.range(40, 220), r.range(40, 220));
    const colour other = lin(r.range(20, 240), r.range(20, 240), r.range(20, 240));
    const double stripe = r.range(4, 14), stripe_angle = r.range(0, M_PI);
    struct shape {
        double x, y, a, b;
        int type;
        colour c;
    };
    std::vector<shape> clutter;
    const int clutter_count = std::max(0, sp.clutter);
    for (int i = 0; i < clutter_count; ++i)
        clutter.push_back({r.range(0, w), r.range(0, h), r.range(5, w / 5.0), r.range(5, h / 5.0),
                           r.pick(3), lin(r.range(0, 255), r.range(0, 255), r.range(0, 255))});

    texture_model tex;
    tex.kind = kind;
    tex.pitch = std::max(1.5, sp.texture);
    const double tex_angle = kind == background_printed_paper ? extra.range(-0.4, 0.4)
                                                              : extra.range(0, M_PI);
    tex.ca = std::cos(tex_angle);
    tex.sa = std::sin(tex_angle);
    tex.twill = extra.uniform() < 0.4;
    tex.salt = extra.next();
    auto any_colour = [&](double lo, double hi) {
        return lin(extra.range(lo, hi), extra.range(lo, hi), extra.range(lo, hi));
    };
    tex.a = any_colour(40, 220);
    tex.b = any_colour(30, 230);
    tex.c = any_colour(20, 240);
    if (kind == background_fabric) {
        tex.b = scaled(tex.a, extra.range(0.85, 1.15));
    } else if (kind == background_fabric_two) {
        // Two yarns that differ clearly, one of them often light.
        const double light = extra.range(150, 235), dark = extra.range(25, 110);
        const bool warp_light = extra.uniform() < 0.5;
        const colour hue = any_colour(0.6, 1.0);
        const colour l = lin(light * std::sqrt(hue.r), light * std::sqrt(hue.g), light * std::sqrt(hue.b));
        const colour d = any_colour(dark * 0.6, dark * 1.2);
        tex.a = warp_light ? l : d;
        tex.b = warp_light ? d : l;
    } else if (kind == background_carpet) {
        tex.design = extra.range(30, 120);
    } else if (kind == background_printed_paper) {
        const double paper = extra.range(200, 245);
        tex.a = lin(paper, paper, paper * extra.range(0.92, 1.0));
        const double ink = extra.range(10, 70);
        tex.b = extra.uniform() < 0.7 ? lin(ink, ink, ink) : any_colour(10, 120);
        tex.c = any_colour(10, 160);
        tex.design = extra.range(15, 45) * 0.55 * tex.pitch;
    }

    const double exposure = std::pow(2.0, sp.ev);
    const double ramp_x = sp.ramp_x, ramp_y = sp.ramp_y;
    const double vignette = sp.vignette;
    const double blur = sp.blur;
    const double noise = sp.noise;

    std::vector<colour> img(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double nx = double(x) / w, ny = double(y) / h;
            colour c = base;
            const double t = 0.6 + 0.8 * coarse.at(nx * 7, ny * 7);
            c = {c.r * t, c.g * t, c.b * t};
            if (kind >= background_fabric) {
                colour sum{0, 0, 0};
                for (int sy = 0; sy < 2; ++sy)
                    for (int sx = 0; sx < 2; ++sx) {
                        const colour v = tex.at(x + 0.25 + 0.5 * sx, y + 0.25 + 0.5 * sy);
                        sum = {sum.r + v.r / 4, sum.g + v.g / 4, sum.b + v.b / 4};
                    }
                c = scaled(sum, t);
            } else if (kind == 0) {
                const double s = 0.8 + 0.4 * fine.at(nx * 63, ny * 63);
                c = {c.r * s, c.g * s, c.b * s};
            } else if (kind == 1) {
                const double p = std::sin((x * std::cos(stripe_angle) + y * std::sin(stripe_angle)) /
                                          stripe + 3 * fine.at(nx * 20, ny * 20));
                const double m = 0.5 + 0.5 * p;
                c = {c.r * (1 - m) + other.r * m, c.g * (1 - m) + other.g * m,
                     c.b * (1 - m) + other.b * m};
            }
            for (const auto &s : clutter) {
                const double dx = (x - s.x) / s.a, dy = (y - s.y) / s.b;
                const bool in = s.type == 0   ? (std::fabs(dx) < 1 && std::fabs(dy) < 1)
                                : s.type == 1 ? (dx * dx + dy * dy < 1)
                                              : (std::fabs(dx - dy) < 0.08 && std::fabs(dx) < 1);
                if (in)
                    c = s.c;
            }
            img[size_t(y * w + x)] = c;
        }

    // The chart over it, 2 x 2 samples per pixel.
    double x0 = w, x1 = 0, y0 = h, y1 = 0;
    for (auto &d : dst) {
        x0 = std::min(x0, d[0]);
        x1 = std::max(x1, d[0]);
        y0 = std::min(y0, d[1]);
        y1 = std::max(y1, d[1]);
    }
    if (!sp.chart)
        y1 = -2;
    for (int y = std::max(0, int(y0) - 1); y < std::min(h, int(y1) + 2); ++y)
        for (int x = std::max(0, int(x0) - 1); x < std::min(w, int(x1) + 2); ++x) {
            colour sum{0, 0, 0};
            int hits = 0;
            for (int sy = 0; sy < 2; ++sy)
                for (int sx = 0; sx < 2; ++sx) {
                    const double px = x + 0.25 + 0.5 * sx, py = y + 0.25 + 0.5 * sy;
                    const double qz = m[6] * px + m[7] * py + m[8];
                    const double qu = (m[0] * px + m[1] * py + m[2]) / qz;
                    const double qv = (m[3] * px + m[4] * py + m[5]) / qz;
                    colour c;
                    bool lit = chart.colour_at(qu, qv, &c);
                    if (lit)
                        c = scaled(c, sp.page_light);
                    else
                        lit = page_colour(qu, qv, &c);
                    if (lit) {
                        sum.r += c.r;
                        sum.g += c.g;
                        sum.b += c.b;
                        ++hits;
                    }
                }
            if (hits == 0)
                continue;
            colour &p = img[size_t(y * w + x)];
            const double keep = (4 - hits) / 4.0;
            p = {p.r * keep + sum.r / 4, p.g * keep + sum.g / 4, p.b * keep + sum.b / 4};
        }

    // Light, optics, sensor.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double nx = double(x) / w - 0.5, ny = double(y) / h - 0.5;
            const double light =
                exposure * (1 + ramp_x * nx + ramp_y * ny) * (1 - vignette * (nx * nx + ny * ny) * 2);
            colour &p = img[size_t(y * w + x)];
            p = {p.r * light, p.g * light, p.b * light};
        }
    gaussian_blur(img, w, h, blur);
    out.width = w;
    out.height = h;
    out.columns = chart.columns;
    out.rows = chart.rows;
    // The patches' colours under a neutral light: linear sRGB to XYZ (D50).
    out.reference.clear();
    for (const colour &c : chart.patches) {
        const double xyz[3] = {0.4360747 * c.r + 0.3850649 * c.g + 0.1430804 * c.b,
                               0.2225045 * c.r + 0.7168786 * c.g + 0.0606169 * c.b,
                               0.0139322 * c.r + 0.0971045 * c.g + 0.7141733 * c.b};
        double lab[3];
        cm_xyz_to_lab(xyz, cm_d50_white, lab);
        out.reference.insert(out.reference.end(), lab, lab + 3);
    }
    out.pixels.resize(size_t(w) * size_t(h));
    for (size_t i = 0; i < img.size(); ++i) {
        const double rr = std::clamp(to_byte(img[i].r) + noise * r.normal(), 0.0, 255.0);
        const double gg = std::clamp(to_byte(img[i].g) + noise * r.normal(), 0.0, 255.0);
        const double bb = std::clamp(to_byte(img[i].b) + noise * r.normal(), 0.0, 255.0);
        out.pixels[i] = 0xff000000u | (uint32_t(std::lround(rr)) << 16) |
                        (uint32_t(std::lround(gg)) << 8) | uint32_t(std::lround(bb));
    }
    char text[200];
    std::snprintf(text, sizeof text,
                  "%dx%d %dx%d span %.2f rot %+.0f gap %.2f %s%s%s bg%d ev %+.1f blur %.1f noise %.1f%s%s",
                  w, h, chart.columns, chart.rows, span * fit, angle * 180 / M_PI, chart.gap,
                  sp.border ? "border" : "no-border", chart.frame > 0 ? "+frame" : "",
                  chart.blocks.empty() ? "" : "+text", kind, std::log2(exposure), blur, noise,
                  sp.chart ? "" : " (no chart)",
                  sp.second_page == page_grey      ? " +grey page"
                  : sp.second_page == page_colours ? " +colour page"
                                                   : "");
    out.label = text;
}
