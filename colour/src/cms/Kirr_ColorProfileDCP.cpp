#include "colour/Kirr_ColorProfileDCP.h"

#include "colour/Kirr_ColorImageIF.h"
#include "colour/Kirr_colorLibrary.h"
#include "dcp_reader.h"
#include "engine/colour_maths.h"
#include "platform/atomic_file.h"
#include "platform/cms.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Matrix = Kirr_ColorProfileDCP::Matrix;

constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

Matrix multiply(const Matrix &a, const Matrix &b)
{
    Matrix m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                m[r * 3 + c] += a[r * 3 + k] * b[k * 3 + c];
    return m;
}

void apply(const Matrix &m, const double in[3], double out[3])
{
    const double a = in[0], b = in[1], c = in[2];
    for (int r = 0; r < 3; ++r)
        out[r] = m[r * 3] * a + m[r * 3 + 1] * b + m[r * 3 + 2] * c;
}

bool invert(const Matrix &m, Matrix *out)
{
    const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6])
        + m[2] * (m[3] * m[7] - m[4] * m[6]);
    if (!std::isfinite(det) || std::fabs(det) < 1e-12)
        return false;
    const double i = 1.0 / det;
    *out = {(m[4] * m[8] - m[5] * m[7]) * i, (m[2] * m[7] - m[1] * m[8]) * i,
            (m[1] * m[5] - m[2] * m[4]) * i, (m[5] * m[6] - m[3] * m[8]) * i,
            (m[0] * m[8] - m[2] * m[6]) * i, (m[2] * m[3] - m[0] * m[5]) * i,
            (m[3] * m[7] - m[4] * m[6]) * i, (m[1] * m[6] - m[0] * m[7]) * i,
            (m[0] * m[4] - m[1] * m[3]) * i};
    return true;
}

Matrix diagonal(const double d[3]) { return {d[0], 0, 0, 0, d[1], 0, 0, 0, d[2]}; }

Matrix blend(const Matrix &a, const Matrix &b, double wa)
{
    Matrix m{};
    for (int i = 0; i < 9; ++i)
        m[i] = wa * a[i] + (1.0 - wa) * b[i];
    return m;
}

// Chromaticity of a correlated colour temperature: the CIE daylight locus
// from 4000 K, the Planckian locus (Kim et al. cubic fit) below.
void temperatureToXYZ(double kelvin, double xyz[3])
{
    const double t = std::min(25000.0, std::max(1667.0, kelvin));
    double x, y;
    if (t >= 4000.0) {
        x = t <= 7000.0 ? -4.6070e9 / (t * t * t) + 2.9678e6 / (t * t) + 0.09911e3 / t + 0.244063
                        : -2.0064e9 / (t * t * t) + 1.9018e6 / (t * t) + 0.24748e3 / t + 0.237040;
        y = -3.0 * x * x + 2.87 * x - 0.275;
    } else {
        x = -0.2661239e9 / (t * t * t) - 0.2343589e6 / (t * t) + 0.8776956e3 / t + 0.179910;
        y = t <= 2222.0 ? -1.1063814 * x * x * x - 1.34811020 * x * x + 2.18555832 * x - 0.20219683
                        : -0.9549476 * x * x * x - 1.37418593 * x * x + 2.09137015 * x - 0.16748867;
    }
    xyz[0] = x / y;
    xyz[1] = 1.0;
    xyz[2] = (1.0 - x - y) / y;
}

// Linear ProPhoto RGB and XYZ D50, the published pair (derived with the CIE
// table white). They are used only as a pair around the hue/sat map, whose
// identity entries give back the XYZ that went in, whatever its white.
const Matrix kXYZToProPhoto = {1.3459433, -0.2556075, -0.0511118, -0.5445989, 1.5081673,
                               0.0205351, 0.0000000, 0.0000000, 1.2118128};
const Matrix kProPhotoToXYZ = {0.7976749, 0.1351917, 0.0313534, 0.2880402, 0.7118741,
                               0.0000857, 0.0000000, 0.0000000, 0.8252100};

double srgbEncode(double v)
{
    return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1.0 / 2.4) - 0.055;
}

}  // namespace

struct Kirr_ColorProfileDCP::Data
{
    QByteArray bytes;
    QString path;
    dcp::Profile profile;
    bool valid = false;
    QString error;
    double temperature = 0.0;  // <= 0: the default
    double exposure = 0.0;     // stops
    bool applyHueSatMap = true;
};

Kirr_ColorProfileDCP::Kirr_ColorProfileDCP() : d(new Data) { d->error = QStringLiteral("empty"); }

Kirr_ColorProfileDCP::Kirr_ColorProfileDCP(const QByteArray &bytes) : d(new Data)
{
    d->bytes = bytes;
    d->valid = dcp::parse(bytes, &d->profile, &d->error);
}

Kirr_ColorProfileDCP::Kirr_ColorProfileDCP(const QString &path) : d(new Data)
{
    d->path = QDir::fromNativeSeparators(path);
    QFile f(d->path);
    if (!f.open(QIODevice::ReadOnly)) {
        d->error = d->path + QStringLiteral(": cannot be opened");
        return;
    }
    if (f.size() > kMaxFileBytes) {
        d->error = d->path + QStringLiteral(": file too large for a camera profile");
        return;
    }
    d->bytes = f.readAll();
    QString why;
    d->valid = dcp::parse(d->bytes, &d->profile, &why);
    if (!d->valid)
        d->error = d->path + QStringLiteral(": ") + why;
}

Kirr_ColorProfileDCP::Kirr_ColorProfileDCP(const Kirr_ColorProfileIF &other) : d(new Data)
{
    const auto *src = dynamic_cast<const Kirr_ColorProfileDCP *>(&other);
    if (!src) {
        d->error = QStringLiteral("not a camera profile");
        return;
    }
    *d = *src->d;
}

Kirr_ColorProfileDCP::~Kirr_ColorProfileDCP() { delete d; }

int Kirr_ColorProfileDCP::calibrationIlluminant1() const { return d->profile.illuminant1; }
int Kirr_ColorProfileDCP::calibrationIlluminant2() const { return d->profile.illuminant2; }

double Kirr_ColorProfileDCP::temperature() const
{
    if (d->temperature > 0)
        return d->temperature;
    const double t2 = lightSourceTemperature(d->profile.illuminant2);
    if (d->profile.hasMatrix2 && t2 > 0)
        return t2;
    return lightSourceTemperature(d->profile.illuminant1);
}

void Kirr_ColorProfileDCP::setTemperature(double kelvin)
{
    d->temperature = (std::isfinite(kelvin) && kelvin > 0) ? kelvin : 0.0;
}

bool Kirr_ColorProfileDCP::isValid() const { return d->valid; }

quint32 Kirr_ColorProfileDCP::colorSpace() const
{
    return d->valid ? Kirr_sig("RGB ") : Kirr_blankSignature;
}

quint32 Kirr_ColorProfileDCP::connectionSpace() const
{
    return d->valid ? Kirr_sig("XYZ ") : Kirr_blankSignature;
}

quint32 Kirr_ColorProfileDCP::deviceClass() const
{
    return d->valid ? Kirr_sig("scnr") : Kirr_blankSignature;
}

QString Kirr_ColorProfileDCP::description() const
{
    return d->profile.profileName.isEmpty() ? d->profile.uniqueCameraModel
                                            : d->profile.profileName;
}

QByteArray Kirr_ColorProfileDCP::data() const { return d->bytes; }
QString Kirr_ColorProfileDCP::path() const { return d->path; }

bool Kirr_ColorProfileDCP::saveAs(const QString &target) const
{
    if (!d->valid || target.isEmpty() || d->bytes.isEmpty())
        return false;
    return platform::write_file_atomically(
        QFile::encodeName(QDir::toNativeSeparators(target)).toStdString(),
        reinterpret_cast<const uint8_t *>(d->bytes.constData()), std::size_t(d->bytes.size()));
}

bool Kirr_ColorProfileDCP::readXYZTag(quint32, double &, double &, double &) const { return false; }
bool Kirr_ColorProfileDCP::writeXYZTag(quint32, double, double, double) { return false; }

bool Kirr_ColorProfileDCP::readTag(quint32 tag, quint32 &size, void *buffer) const
{
    if (!d->valid || tag > 0xffffu)
        return false;
    const auto it = d->profile.entries.find(quint16(tag));
    if (it == d->profile.entries.end())
        return false;
    const dcp::Entry &e = it->second;
    if (!buffer) {
        size = e.length;
        return true;
    }
    if (size < e.length) {
        size = e.length;
        return false;
    }
    std::memcpy(buffer, d->bytes.constData() + e.offset, e.length);
    size = e.length;
    return true;
}

bool Kirr_ColorProfileDCP::writeTag(quint32, quint32, const void *) { return false; }

QString Kirr_ColorProfileDCP::openError() const { return d->valid ? QString() : d->error; }
QString Kirr_ColorProfileDCP::profileName() const { return d->profile.profileName; }
QString Kirr_ColorProfileDCP::uniqueCameraModel() const { return d->profile.uniqueCameraModel; }
QString Kirr_ColorProfileDCP::copyright() const { return d->profile.copyright; }
bool Kirr_ColorProfileDCP::hasColorMatrix2() const { return d->profile.hasMatrix2; }
Matrix Kirr_ColorProfileDCP::colorMatrix1() const { return d->profile.colorMatrix1; }
Matrix Kirr_ColorProfileDCP::colorMatrix2() const
{
    return d->profile.hasMatrix2 ? d->profile.colorMatrix2 : d->profile.colorMatrix1;
}
bool Kirr_ColorProfileDCP::hasForwardMatrix() const { return d->profile.hasForward; }
Matrix Kirr_ColorProfileDCP::forwardMatrix1() const { return d->profile.forwardMatrix1; }
Matrix Kirr_ColorProfileDCP::forwardMatrix2() const { return d->profile.forwardMatrix2; }

namespace {
Kirr_ColorProfileDCP::HueSatMap toMap(const dcp::Table &t)
{
    Kirr_ColorProfileDCP::HueSatMap m;
    if (t.data.isEmpty())
        return m;
    m.hueDivisions = t.hue;
    m.satDivisions = t.sat;
    m.valueDivisions = t.val;
    m.data = t.data;
    return m;
}
}  // namespace

Kirr_ColorProfileDCP::HueSatMap Kirr_ColorProfileDCP::hueSatMap1() const
{
    return toMap(d->profile.hueSat1);
}
Kirr_ColorProfileDCP::HueSatMap Kirr_ColorProfileDCP::hueSatMap2() const
{
    return toMap(d->profile.hueSat2);
}
Kirr_ColorProfileDCP::HueSatMap Kirr_ColorProfileDCP::lookTable() const
{
    return toMap(d->profile.look);
}
int Kirr_ColorProfileDCP::hueSatMapEncoding() const { return d->profile.hueSatEncoding; }
int Kirr_ColorProfileDCP::lookTableEncoding() const { return d->profile.lookEncoding; }
QVector<float> Kirr_ColorProfileDCP::toneCurve() const { return d->profile.toneCurve; }
double Kirr_ColorProfileDCP::baselineExposureOffset() const
{
    return d->profile.baselineExposureOffset;
}
int Kirr_ColorProfileDCP::defaultBlackRender() const { return d->profile.defaultBlackRender; }

double Kirr_ColorProfileDCP::lightSourceTemperature(int code)
{
    switch (code) {
    case 1: return 5500;   // daylight
    case 2: return 4150;   // fluorescent
    case 3: return 2850;   // tungsten
    case 4: return 5500;   // flash
    case 9: return 5500;   // fine weather
    case 10: return 6500;  // cloudy
    case 11: return 7500;  // shade
    case 12: return 6430;  // daylight fluorescent
    case 13: return 5000;  // day white fluorescent
    case 14: return 4150;  // cool white fluorescent
    case 15: return 3525;  // white fluorescent
    case 16: return 2925;  // warm white fluorescent
    case 17: return 2856;  // standard light A
    case 18: return 4874;  // standard light B
    case 19: return 6774;  // standard light C
    case 20: return 5503;  // D55
    case 21: return 6504;  // D65
    case 22: return 7504;  // D75
    case 23: return 5003;  // D50
    case 24: return 3200;  // studio tungsten
    default: return 0;
    }
}

double Kirr_ColorProfileDCP::calibrationWeight(double kelvin) const
{
    const double t1 = lightSourceTemperature(d->profile.illuminant1);
    const double t2 = lightSourceTemperature(d->profile.illuminant2);
    if (!d->profile.hasMatrix2 || t1 <= 0 || t2 <= 0 || t1 == t2 || !(kelvin > 0))
        return 1.0;
    // Linear in inverse temperature between the two calibrations.
    const double low = std::min(t1, t2), high = std::max(t1, t2);
    const double k = std::min(high, std::max(low, kelvin));
    const double g = (1.0 / k - 1.0 / high) / (1.0 / low - 1.0 / high);  // weight of the lower
    return t1 == low ? g : 1.0 - g;
}

Matrix Kirr_ColorProfileDCP::blendedColorMatrix() const
{
    return blend(colorMatrix1(), colorMatrix2(), calibrationWeight(temperature()));
}

Matrix Kirr_ColorProfileDCP::blendedForwardMatrix() const
{
    const Matrix f2 = d->profile.hasMatrix2 ? d->profile.forwardMatrix2 : d->profile.forwardMatrix1;
    return blend(d->profile.forwardMatrix1, f2, calibrationWeight(temperature()));
}

void Kirr_ColorProfileDCP::setApplyHueSatMap(bool apply) { d->applyHueSatMap = apply; }

bool Kirr_ColorProfileDCP::appliesHueSatMap() const
{
    return d->applyHueSatMap && !d->profile.hueSat1.data.isEmpty();
}

void Kirr_ColorProfileDCP::setExposure(double stops)
{
    d->exposure = std::isfinite(stops) ? stops : 0.0;
}

double Kirr_ColorProfileDCP::exposure() const { return d->exposure; }

namespace {

// The conversion for one temperature: balanced camera values to XYZ D50,
// and the hue/sat map to apply afterwards (empty: none).
struct Pipeline
{
    Matrix toXYZ{};
    double neutral[3] = {1, 1, 1};
    dcp::Table map;
    int encoding = 0;
    double gain = 1.0;  // the exposure, after the map as in a DNG reader
};

void applyMap(const dcp::Table &m, int encoding, double xyz[3])
{
    double rgb[3];
    apply(kXYZToProPhoto, xyz, rgb);
    const double r = rgb[0], g = rgb[1], b = rgb[2];
    const double v = std::max(r, std::max(g, b));
    if (!(v > 0))
        return;
    const double lo = std::min(r, std::min(g, b));
    double s = (v - lo) / v;
    double h = 0;  // 0..6
    const double span = v - lo;
    if (span > 0) {
        if (v == r)
            h = (g - b) / span;
        else if (v == g)
            h = 2.0 + (b - r) / span;
        else
            h = 4.0 + (r - g) / span;
        if (h < 0)
            h += 6.0;
    }
    const int hd = m.hue, sd = m.sat, vd = m.val;
    const double hs = h * hd / 6.0;
    int h0 = int(std::floor(hs));
    const double hf = hs - h0;
    h0 = ((h0 % hd) + hd) % hd;
    const int h1 = (h0 + 1) % hd;
    double ss = std::min(1.0, std::max(0.0, s)) * (sd - 1);
    int s0 = std::min(sd - 2 < 0 ? 0 : sd - 2, int(std::floor(ss)));
    const double sf = sd > 1 ? ss - s0 : 0.0;
    const int s1 = sd > 1 ? s0 + 1 : s0;
    double ve = encoding == 1 ? srgbEncode(std::min(1.0, v)) : std::min(1.0, v);
    double vs = ve * (vd - 1);
    int v0 = vd > 1 ? std::min(vd - 2, int(std::floor(vs))) : 0;
    const double vf = vd > 1 ? vs - v0 : 0.0;
    const int v1 = vd > 1 ? v0 + 1 : v0;
    auto at = [&](int vi, int hi, int si, int k) {
        return double(m.data[((vi * hd + hi) * sd + si) * 3 + k]);
    };
    double out[3];
    for (int k = 0; k < 3; ++k) {
        auto plane = [&](int vi) {
            const double a = at(vi, h0, s0, k) * (1 - sf) + at(vi, h0, s1, k) * sf;
            const double c = at(vi, h1, s0, k) * (1 - sf) + at(vi, h1, s1, k) * sf;
            return a * (1 - hf) + c * hf;
        };
        out[k] = plane(v0) * (1 - vf) + plane(v1) * vf;
    }
    h += out[0] / 60.0;
    while (h < 0)
        h += 6.0;
    while (h >= 6.0)
        h -= 6.0;
    s = std::min(1.0, std::max(0.0, s * out[1]));
    const double nv = std::max(0.0, v * out[2]);
    // Back from HSV.
    const int i = int(h);
    const double f = h - i;
    const double p = nv * (1 - s), q = nv * (1 - s * f), t = nv * (1 - s * (1 - f));
    double o[3];
    switch (i) {
    case 0: o[0] = nv; o[1] = t; o[2] = p; break;
    case 1: o[0] = q; o[1] = nv; o[2] = p; break;
    case 2: o[0] = p; o[1] = nv; o[2] = t; break;
    case 3: o[0] = p; o[1] = q; o[2] = nv; break;
    case 4: o[0] = t; o[1] = p; o[2] = nv; break;
    default: o[0] = nv; o[1] = p; o[2] = q; break;
    }
    apply(kProPhotoToXYZ, o, xyz);
}

}  // namespace

namespace {

bool buildPipeline(const Kirr_ColorProfileDCP &p, const dcp::Profile &raw, bool useMap,
                   Pipeline *out)
{
    const double t = p.temperature();
    const double w = p.calibrationWeight(t);
    const Matrix cm = p.blendedColorMatrix();
    double white[3];
    temperatureToXYZ(t > 0 ? t : 5003.0, white);
    double n[3];
    apply(cm, white, n);
    const double m = std::max(n[0], std::max(n[1], n[2]));
    if (!(m > 0) || !(n[0] > 0) || !(n[1] > 0) || !(n[2] > 0))
        return false;
    for (int i = 0; i < 3; ++i)
        out->neutral[i] = n[i] / m;
    if (raw.hasForward) {
        out->toXYZ = p.blendedForwardMatrix();
    } else {
        // Camera to XYZ under the calibration white, adapted to D50.
        Matrix inv;
        if (!invert(cm, &inv))
            return false;
        double wx[3];
        apply(inv, out->neutral, wx);
        if (!(wx[1] > 0))
            return false;
        const double wn[3] = {wx[0] / wx[1], 1.0, wx[2] / wx[1]};
        // The ICC white: what the engine's ForwardMatrix maps the neutral to,
        // and the PCS white of every transform that takes these XYZ values.
        double adapt[3][3];
        cm_bradford_matrix(wn, cm_icc_d50_white, adapt);
        Matrix toD50 = multiply(Matrix{adapt[0][0], adapt[0][1], adapt[0][2], adapt[1][0],
                                       adapt[1][1], adapt[1][2], adapt[2][0], adapt[2][1],
                                       adapt[2][2]},
                                inv);
        for (double &v : toD50)
            v /= wx[1];
        out->toXYZ = multiply(toD50, diagonal(out->neutral));
    }
    if (useMap) {
        const dcp::Table &a = raw.hueSat1;
        const dcp::Table &b = raw.hueSat2.data.isEmpty() ? raw.hueSat1 : raw.hueSat2;
        out->map = a;
        if (b.data.size() == a.data.size())
            for (int i = 0; i < a.data.size(); ++i)
                out->map.data[i] = float(w * a.data[i] + (1 - w) * b.data[i]);
        out->encoding = raw.hueSatEncoding;
    }
    const double stops = p.exposure() + raw.baselineExposureOffset;
    out->gain = std::isfinite(stops) ? std::exp2(std::max(-30.0, std::min(30.0, stops))) : 1.0;
    return true;
}

void convert(const Pipeline &pl, const double camera[3], const double *balance, double xyz[3])
{
    double b[3];
    for (int i = 0; i < 3; ++i)
        b[i] = balance ? camera[i] * balance[i] : camera[i] / pl.neutral[i];
    apply(pl.toXYZ, b, xyz);
    if (!pl.map.data.isEmpty())
        applyMap(pl.map, pl.encoding, xyz);
    for (int i = 0; i < 3; ++i)
        xyz[i] *= pl.gain;
}

bool goodBalance(const double *balance)
{
    if (!balance)
        return true;
    for (int i = 0; i < 3; ++i)
        if (!(balance[i] > 0) || !std::isfinite(balance[i]))
            return false;
    return true;
}

}  // namespace

bool Kirr_ColorProfileDCP::cameraToXYZ(const double camera[3], const double *balance,
                                       double xyz[3]) const
{
    Pipeline pl;
    if (!d->valid || !camera || !xyz || !goodBalance(balance)
        || !buildPipeline(*this, d->profile, appliesHueSatMap(), &pl))
        return false;
    convert(pl, camera, balance, xyz);
    return true;
}

bool Kirr_ColorProfileDCP::transformImage(const Kirr_ColorImageIF &source, Kirr_ColorImageIF &xyz,
                                          const double *balance) const
{
    if (!d->valid || !source.isValid() || !xyz.isValid() || source.channels() != 3
        || xyz.channels() != 3 || xyz.colorSpace() != Kirr_sig("XYZ ")
        || source.width() != xyz.width() || source.height() != xyz.height()
        || !goodBalance(balance))
        return false;
    Pipeline pl;
    if (!buildPipeline(*this, d->profile, appliesHueSatMap(), &pl))
        return false;
    const double maximum = double((1 << std::min(16, source.bitsPerChannel())) - 1);
    const int outMax = xyz.bytesPerChannel() == 2 ? 65535 : 255;
    const double outScale = xyz.bytesPerChannel() == 2 ? 32768.0 : 128.0;
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const double cam[3] = {source.sample(x, y, 0) / maximum,
                                   source.sample(x, y, 1) / maximum,
                                   source.sample(x, y, 2) / maximum};
            double v[3];
            convert(pl, cam, balance, v);
            for (int c = 0; c < 3; ++c) {
                const double r = Kirr_round(v[c] * outScale);
                xyz.setSample(x, y, c, !(r > 0) ? 0 : r > outMax ? outMax : int(r));
            }
        }
    }
    return true;
}
