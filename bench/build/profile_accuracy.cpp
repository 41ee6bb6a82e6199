// Builds profiles from measurement sets (a folder per chart, a folder per
// camera with train.cie/train.pix and, for held-out figures, test.cie/test.pix),
// scores them with CIEDE2000 against the chart-white-normalised reference,
// and times each build. Little CMS applies the ICC profiles; a DNG camera
// profile is applied through its ColorMatrix1 as a DNG reader does, white
// balanced on the chart white. With colprof installed its profiles are built
// from train.ti3 and scored the same way. A set with held-out patches and
// all.cie/all.pix is also built from the whole chart ("all" rows), which
// times a build on every patch.
//
//   profile_accuracy [--no-peer] [--types lut,matrix,dcp] [--keep DIR] [FOLDER...]
#include "engine/colour_maths.h"
#include "engine/entries.h"
#include "engine/patch_set.h"
#include "engine/cgats.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using vec3 = std::array<double, 3>;

struct sample_set {
    std::vector<vec3> rgb;  // 0..255
    std::vector<vec3> lab;  // reference, D50
};

bool exists(const std::string &p)
{
    struct stat st;
    return stat(p.c_str(), &st) == 0;
}

bool read_set(const std::string &cie, const std::string &pix, sample_set *out)
{
    patch_set c{}, d{};
    patch_set_init(&c);
    patch_set_init(&d);
    bool ok = read_cgats_file(cie.c_str(), &c) == 0 && read_cgats_file(pix.c_str(), &d) == 0 &&
              c.count == d.count && c.count > 0;
    for (int i = 0; ok && i < c.count; ++i) {
        double lab[3];
        if (patch_set_get_lab(&c, i, lab) != 0) {
            ok = false;
            break;
        }
        out->lab.push_back({lab[0], lab[1], lab[2]});
        out->rgb.push_back({d.patches[i].device[0], d.patches[i].device[1],
                            d.patches[i].device[2]});
    }
    patch_set_free(&c);
    patch_set_free(&d);
    if (!ok)
        *out = sample_set();
    return ok;
}

// Reference Lab of a set with the chart white taken to D50.
std::vector<vec3> normalised(const std::vector<vec3> &lab, const vec3 &white_lab)
{
    double w[3], m[3][3];
    cm_lab_to_xyz(white_lab.data(), cm_d50_white, w);
    cm_bradford_matrix(w, cm_d50_white, m);
    std::vector<vec3> out;
    for (const vec3 &l : lab) {
        double x[3], y[3] = {};
        cm_lab_to_xyz(l.data(), cm_d50_white, x);
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k)
                y[i] += m[i][k] * x[k];
        vec3 o;
        cm_xyz_to_lab(y, cm_d50_white, o.data());
        out.push_back(o);
    }
    return out;
}

struct stats {
    double mean = NAN, p90 = NAN, max = NAN;
};

stats figures(std::vector<double> v)
{
    stats s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v)
        sum += x;
    s.mean = sum / v.size();
    const double pos = 0.9 * (v.size() - 1);
    const size_t k = size_t(pos);
    s.p90 = k + 1 >= v.size() ? v.back() : v[k] + (pos - k) * (v[k + 1] - v[k]);
    s.max = v.back();
    return s;
}

// Applies a profile to device RGB (0..255) giving Lab D50.
struct evaluator {
    virtual ~evaluator() = default;
    virtual bool ok() const = 0;
    virtual vec3 lab(const vec3 &rgb) const = 0;
};

struct icc_evaluator : evaluator {
    cmsHPROFILE in = nullptr, out = nullptr;
    cmsHTRANSFORM t = nullptr;
    explicit icc_evaluator(const std::string &path)
    {
        in = cmsOpenProfileFromFile(path.c_str(), "r");
        out = cmsCreateLab4Profile(nullptr);
        if (in)
            t = cmsCreateTransform(in, TYPE_RGB_DBL, out, TYPE_Lab_DBL,
                                   INTENT_RELATIVE_COLORIMETRIC,
                                   cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    }
    ~icc_evaluator() override
    {
        if (t)
            cmsDeleteTransform(t);
        if (in)
            cmsCloseProfile(in);
        cmsCloseProfile(out);
    }
    bool ok() const override { return t != nullptr; }
    vec3 lab(const vec3 &rgb) const override
    {
        const double v[3] = {rgb[0] / 255.0, rgb[1] / 255.0, rgb[2] / 255.0};
        cmsCIELab l;
        cmsDoTransform(t, v, &l, 1);
        return {l.L, l.a, l.b};
    }
};

struct dcp_evaluator : evaluator {
    double cam_to_xyz[3][3] = {};
    bool good = false;
    dcp_evaluator(const std::string &path, const vec3 &neutral)
    {
        std::ifstream f(path, std::ios::binary);
        std::vector<unsigned char> b((std::istreambuf_iterator<char>(f)), {});
        auto u16 = [&](size_t o) { return unsigned(b[o] | (b[o + 1] << 8)); };
        auto u32 = [&](size_t o) {
            return uint32_t(b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) |
                            (uint32_t(b[o + 3]) << 24));
        };
        if (b.size() < 10 || std::memcmp(b.data(), "IIRC", 4) != 0)
            return;
        double cm[3][3];
        bool found = false;
        for (unsigned i = 0, n = u16(8); i < n && 10 + 12 * i + 12 <= b.size(); ++i) {
            const size_t e = 10 + 12 * i;
            if (u16(e) != 50721)
                continue;
            const uint32_t off = u32(e + 8);
            if (off + 72 > b.size())
                return;
            for (int k = 0; k < 9; ++k)
                cm[k / 3][k % 3] = double(int32_t(u32(off + 8 * k))) / u32(off + 8 * k + 4);
            found = true;
        }
        if (!found)
            return;
        // Inverse of ColorMatrix, scaled so that the neutral has Y = 1, then
        // adapted from the white it stands for to D50.
        const double det = cm[0][0] * (cm[1][1] * cm[2][2] - cm[1][2] * cm[2][1]) -
                           cm[0][1] * (cm[1][0] * cm[2][2] - cm[1][2] * cm[2][0]) +
                           cm[0][2] * (cm[1][0] * cm[2][1] - cm[1][1] * cm[2][0]);
        if (std::fabs(det) < 1e-12)
            return;
        double inv[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                const int a = (j + 1) % 3, bb = (j + 2) % 3, c = (i + 1) % 3, d = (i + 2) % 3;
                inv[i][j] = (cm[a][c] * cm[bb][d] - cm[a][d] * cm[bb][c]) / det;
            }
        double w[3] = {};
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k)
                w[i] += inv[i][k] * neutral[k] / 255.0;
        const double y = w[1];
        for (double &v : w)
            v /= y;
        double m[3][3];
        cm_bradford_matrix(w, cm_d50_white, m);
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k) {
                cam_to_xyz[i][k] = 0;
                for (int j = 0; j < 3; ++j)
                    cam_to_xyz[i][k] += m[i][j] * inv[j][k] / y;
            }
        good = true;
    }
    bool ok() const override { return good; }
    vec3 lab(const vec3 &rgb) const override
    {
        double x[3] = {};
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k)
                x[i] += cam_to_xyz[i][k] * rgb[k] / 255.0;
        vec3 l;
        cm_xyz_to_lab(x, cm_d50_white, l.data());
        return l;
    }
};

std::vector<double> errors_of(const evaluator &e, const sample_set &s,
                              const std::vector<vec3> &ref)
{
    std::vector<double> out;
    for (size_t i = 0; i < s.rgb.size(); ++i) {
        const vec3 l = e.lab(s.rgb[i]);
        out.push_back(cm_delta_e2000(ref[i].data(), l.data()));
    }
    return out;
}

// Smoothness of a LUT along the device neutral axis: L* at 33 points must
// rise strictly; the bend of a step is how far it departs from the mean of
// its two neighbours, relative to that mean. Prints the largest bend.
void neutral_axis(const evaluator &e, bool *rising, double *bend)
{
    double l[33];
    for (int k = 0; k <= 32; ++k) {
        const double v = 255.0 * k / 32.0;
        l[k] = e.lab({v, v, v})[0];
    }
    *rising = true;
    *bend = 0;
    for (int k = 1; k <= 32; ++k)
        *rising = *rising && l[k] > l[k - 1];
    for (int k = 2; k <= 31; ++k) {
        const double d = l[k] - l[k - 1];
        const double trend = 0.5 * ((l[k - 1] - l[k - 2]) + (l[k + 1] - l[k]));
        if (trend > 1e-9)
            *bend = std::max(*bend, std::fabs(d - trend) / trend);
    }
}

struct row {
    std::string set, type;
    stats train, test;
    double seconds = 0;
    bool rising = true;
    double bend = 0;
    bool has_axis = false;
    bool failed = false;
};

void print_row(const row &r)
{
    auto f = [](double v) {
        char b[16];
        if (std::isnan(v))
            std::snprintf(b, sizeof b, "%7s", "-");
        else
            std::snprintf(b, sizeof b, "%7.2f", v);
        return std::string(b);
    };
    if (r.failed) {
        std::printf("%-26s %-16s  build failed\n", r.set.c_str(), r.type.c_str());
        return;
    }
    std::printf("%-26s %-16s %s%s%s  %s%s%s %7.2f", r.set.c_str(), r.type.c_str(),
                f(r.train.mean).c_str(), f(r.train.p90).c_str(), f(r.train.max).c_str(),
                f(r.test.mean).c_str(), f(r.test.p90).c_str(), f(r.test.max).c_str(), r.seconds);
    if (r.has_axis)
        std::printf("   %s %.3f", r.rising ? "rises" : "FALLS", r.bend);
    std::printf("\n");
    std::fflush(stdout);
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct job {
    std::string folder, name, keep;
    bool peer = true;
    std::vector<std::string> types;
};

void score(row &r, const evaluator &e, const sample_set &train, const sample_set &test,
           const vec3 &white, bool axis)
{
    if (!e.ok()) {
        r.failed = true;
        return;
    }
    r.train = figures(errors_of(e, train, normalised(train.lab, white)));
    if (!test.rgb.empty())
        r.test = figures(errors_of(e, test, normalised(test.lab, white)));
    if (axis) {
        r.has_axis = true;
        neutral_axis(e, &r.rising, &r.bend);
    }
}

// The chart white (the brightest reference) and its device values.
size_t white_of(const sample_set &set)
{
    size_t w = 0;
    for (size_t i = 0; i < set.lab.size(); ++i)
        if (set.lab[i][0] > set.lab[w][0])
            w = i;
    return w;
}

// One profile of ours built from <stem>.cie / <stem>.pix, scored on train
// (the same patches) and test, and printed.
void build_ours(const job &j, const std::string &type, const std::string &stem,
                const std::string &label, const sample_set &train, const sample_set &test,
                const std::string &tmp, const std::string &out_path)
{
    row r;
    r.set = j.name;
    r.type = label;
    const bool dcp = type == "dcp";
    expert_overrides o{};
    o.enable = 1;
    o.type = 1;  // polynomial order 1: curves and a matrix
    o.iterate_on_gamma_basic = 1;
    o.iterate_on_gamma = 1;
    o.merge_transform_with_alt = 1;
    o.option_g = 1;
    calculation_settings cs{};
    cs.calculation_mode = 1;
    const double t0 = now();
    const int res = create_profile_for_job(
        (j.folder + "/" + stem + ".cie").c_str(), (j.folder + "/" + stem + ".pix").c_str(),
        out_path.c_str(), 0, 0, 0, 0, 1, dcp ? 1 : 0, 0, 2, "Bench Camera", nullptr,
        type == "matrix" ? &o : nullptr, nullptr, nullptr, nullptr, nullptr, &cs, tmp.c_str());
    r.seconds = now() - t0;
    if (res != 0) {
        r.failed = true;
        print_row(r);
        return;
    }
    const size_t w = white_of(train);
    if (dcp)
        score(r, dcp_evaluator(out_path, train.rgb[w]), train, test, train.lab[w], false);
    else
        score(r, icc_evaluator(out_path), train, test, train.lab[w], type == "lut");
    print_row(r);
}

void run_set(const job &j)
{
    sample_set train, test, all;
    if (!read_set(j.folder + "/train.cie", j.folder + "/train.pix", &train)) {
        std::printf("%-26s cannot read train.cie / train.pix\n", j.name.c_str());
        return;
    }
    if (exists(j.folder + "/test.cie"))
        read_set(j.folder + "/test.cie", j.folder + "/test.pix", &test);
    const vec3 white = train.lab[white_of(train)];

    char tmpl[] = "/tmp/vp_accuracy_XXXXXX";
    const std::string tmp = mkdtemp(tmpl) ? tmpl : "/tmp";
    std::string safe = j.name;
    std::replace(safe.begin(), safe.end(), '/', '_');
    const std::string out_dir = j.keep.empty() ? tmp : j.keep;

    for (const std::string &type : j.types)
        build_ours(j, type, "train", "pelto " + type, train, test, tmp,
                   out_dir + "/" + safe + "_" + type + (type == "dcp" ? ".dcp" : ".icc"));
    // Timing on the whole chart: a build from every patch, scored on them.
    if (!test.rgb.empty() && exists(j.folder + "/all.cie") &&
        read_set(j.folder + "/all.cie", j.folder + "/all.pix", &all))
        for (const std::string &type : j.types)
            build_ours(j, type, "all", "pelto " + type + " all", all, sample_set(), tmp,
                       out_dir + "/" + safe + "_" + type + "_all" +
                           (type == "dcp" ? ".dcp" : ".icc"));

    if (j.peer && exists("/usr/bin/colprof") && exists(j.folder + "/train.ti3")) {
        struct peer_type {
            const char *name, *args, *file;
        };
        const peer_type peers[] = {{"colprof matrix", "-qm -am", "matrix"},
                                   {"colprof shaper", "-qm -as", "shaper"},
                                   {"colprof cLUT-qm", "-qm", "lut_qm"},
                                   {"colprof cLUT-qh", "-qh", "lut_qh"}};
        for (const peer_type &p : peers) {
            row r;
            r.set = j.name;
            r.type = p.name;
            const std::string cmd = "cp '" + j.folder + "/train.ti3' '" + tmp +
                                    "/p.ti3' && cd '" + tmp + "' && colprof " + p.args +
                                    " -bn p > /dev/null 2>&1";
            const double t0 = now();
            const int rc = std::system(cmd.c_str());
            r.seconds = now() - t0;
            if (rc != 0) {
                r.failed = true;
                print_row(r);
                continue;
            }
            score(r, icc_evaluator(tmp + "/p.icc"), train, test, white, false);
            print_row(r);
            if (!j.keep.empty())
                std::system(("cp '" + tmp + "/p.icc' '" + j.keep + "/" + safe + "_colprof_" +
                             p.file + ".icc'")
                                .c_str());
        }
    }
    std::system(("rm -rf '" + tmp + "'").c_str());
}

void find_sets(const std::string &root, const std::string &name, std::vector<job> *out)
{
    if (exists(root + "/train.cie") && exists(root + "/train.pix")) {
        job j;
        j.folder = root;
        j.name = name.empty() ? root : name;
        out->push_back(j);
        return;
    }
    DIR *d = opendir(root.c_str());
    if (!d)
        return;
    std::vector<std::string> names;
    while (dirent *e = readdir(d))
        if (e->d_name[0] != '.')
            names.push_back(e->d_name);
    closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string &n : names)
        find_sets(root + "/" + n, name.empty() ? n : name + "/" + n, out);
}

}  // namespace

int main(int argc, char **argv)
{
    bool peer = true;
    std::string keep;
    std::vector<std::string> types = {"lut", "matrix", "dcp"};
    std::vector<std::string> roots;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--no-peer") {
            peer = false;
        } else if (a == "--keep" && i + 1 < argc) {
            keep = argv[++i];
            mkdir(keep.c_str(), 0755);
        } else if (a == "--types" && i + 1 < argc) {
            types.clear();
            std::string s = argv[++i];
            size_t p = 0;
            while (p <= s.size()) {
                const size_t q = s.find(',', p);
                types.push_back(s.substr(p, q == std::string::npos ? std::string::npos : q - p));
                if (q == std::string::npos)
                    break;
                p = q + 1;
            }
        } else {
            roots.push_back(a);
        }
    }
    // The shipped sets are named below their folder; a folder given here
    // keeps its own name in front, so that sets of two folders never share
    // a name (or a kept file).
    const bool given = !roots.empty();
    if (!given)
        roots.push_back(VP_BENCH_DATA);
    std::vector<job> jobs;
    for (const std::string &r : roots)
        find_sets(r, given ? r : "", &jobs);
    if (jobs.empty()) {
        std::fprintf(stderr, "profile_accuracy: no measurement sets found\n");
        return 1;
    }
    std::printf("%-26s %-16s %7s%7s%7s  %7s%7s%7s %7s   %s\n", "set", "profile", "tr.mean",
                "tr.p90", "tr.max", "te.mean", "te.p90", "te.max", "sec",
                "neutral L* (bend)");
    for (job &j : jobs) {
        j.peer = peer;
        j.keep = keep;
        j.types = types;
        run_set(j);
    }
    return 0;
}
