#include "ChartShot.h"

#include <QImage>
#include <QPolygonF>
#include <QTransform>

#include <tiffio.h>

#include <cmath>
#include <random>

namespace {

std::array<double, 3> labToXyzD50(const std::array<double, 3> &lab)
{
    const double white[3] = {0.9642, 1.0, 0.8249};
    const double fy = (lab[0] + 16.0) / 116.0;
    const double fx = fy + lab[1] / 500.0;
    const double fz = fy - lab[2] / 200.0;
    auto inverse = [](double f) {
        return f > 6.0 / 29.0 ? f * f * f : 3.0 * (6.0 / 29.0) * (6.0 / 29.0) * (f - 4.0 / 29.0);
    };
    return {white[0] * inverse(fx), white[1] * inverse(fy), white[2] * inverse(fz)};
}

}  // namespace

namespace {

// XYZ (D50) to a linear RGB, then the camera's own channel gains.
const double kCameraLinear[3][3] = {{3.1338561, -1.6168667, -0.4906146},
                                    {-0.9787684, 1.9161415, 0.0334540},
                                    {0.0719453, -0.2289914, 1.4052427}};
const double kCameraGains[3] = {0.55, 0.9, 0.7};

}  // namespace

std::array<double, 9> chartShotCameraMatrix()
{
    std::array<double, 9> out{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[std::size_t(r * 3 + c)] = kCameraGains[r] * kCameraLinear[r][c];
    return out;
}

std::array<double, 3> chartShotCamera(const std::array<double, 3> &lab)
{
    const std::array<double, 3> xyz = labToXyzD50(lab);
    const auto &m = kCameraLinear;
    std::array<double, 3> out{};
    for (int i = 0; i < 3; ++i) {
        double v = m[i][0] * xyz[0] + m[i][1] * xyz[1] + m[i][2] * xyz[2];
        v = std::min(1.0, std::max(0.0, v)) * kCameraGains[i];
        out[std::size_t(i)] = std::round(v * 65535.0);
    }
    return out;
}

int ChartShot::setAt(int column, int row) const
{
    return spec.tlrOrder ? row + spec.rows * column : row * spec.columns + column;
}

std::array<double, 3> ChartShot::deviceAt(int column, int row) const
{
    std::array<double, 3> v = devices[std::size_t(setAt(column, row))];
    if (spec.bits == 8)
        for (double &c : v)
            c = std::round(c / 257.0) * 257.0;
    return v;
}

QPointF ChartShot::gridPoint(double u, double v) const
{
    const QPointF top = corners[0] + (corners[1] - corners[0]) * u;
    const QPointF bottom = corners[2] + (corners[3] - corners[2]) * u;
    return top + (bottom - top) * v;
}

QPointF ChartShot::cellCentre(int column, int row) const
{
    return gridPoint((column + 0.5) / spec.columns, (row + 0.5) / spec.rows);
}

ChartShot makeChartShot(const ChartShotSpec &spec)
{
    ChartShot shot;
    shot.spec = spec;
    const int n = spec.columns * spec.rows;
    for (int i = 0; i < n; ++i) {
        const int row = i / spec.columns;
        const int column = i % spec.columns;
        std::array<double, 3> lab;
        QString control = QStringLiteral("N");
        if (row == spec.rows - 1 && spec.rows > 1) {
            const double t = spec.columns > 1 ? double(column) / (spec.columns - 1) : 0.0;
            lab = {92.0 - 70.0 * t, 0.0, 0.0};
            control = column == 0 ? QStringLiteral("GBW") : QStringLiteral("GB");
        } else {
            const double hue = 2.0 * M_PI * double(i) / std::max(1, n - spec.columns);
            const double chroma = 18.0 + 12.0 * (i % 3);
            lab = {35.0 + 45.0 * double(i % 5) / 4.0, chroma * std::cos(hue),
                   chroma * std::sin(hue)};
        }
        shot.names.push_back(QStringLiteral("%1%2").arg(QChar('A' + row % 26)).arg(column + 1));
        shot.controls.push_back(control);
        shot.labs.push_back(lab);
        std::array<double, 3> device = chartShotCamera(lab);
        if (spec.encoding != 1.0)
            for (double &v : device)
                v = std::round(65535.0 * std::pow(v / 65535.0, 1.0 / spec.encoding));
        shot.devices.push_back(device);
    }
    shot.definition = QStringLiteral("IS12642\nNUMBER_OF_FIELDS 2\nBEGIN_DATA_FORMAT\n"
                                     "SAMPLE_ID CONTROL\nEND_DATA_FORMAT\nNUMBER_OF_SETS %1\n"
                                     "BEGIN_DATA\n").arg(n);
    shot.reference = QStringLiteral("IS12642\nNUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\n"
                                    "SAMPLE_ID LAB_L LAB_A LAB_B\nEND_DATA_FORMAT\n"
                                    "NUMBER_OF_SETS %1\nBEGIN_DATA\n").arg(n);
    for (int i = 0; i < n; ++i) {
        const auto &lab = shot.labs[std::size_t(i)];
        shot.definition += shot.names[std::size_t(i)] + QLatin1Char(' ')
                           + shot.controls[std::size_t(i)] + QLatin1Char('\n');
        shot.reference += QStringLiteral("%1 %2 %3 %4\n")
                              .arg(shot.names[std::size_t(i)])
                              .arg(lab[0], 0, 'f', 4)
                              .arg(lab[1], 0, 'f', 4)
                              .arg(lab[2], 0, 'f', 4);
    }
    shot.definition += QStringLiteral("END_DATA\n");
    shot.reference += QStringLiteral("END_DATA\n");

    const int gridWidth = spec.columns * spec.cell;
    const int gridHeight = spec.rows * spec.cell;
    const int width = gridWidth + 2 * (spec.body + spec.margin);
    const int height = gridHeight + 2 * (spec.body + spec.margin);
    // Where the unit grid lands: perspective widens the bottom edge, then the
    // whole chart turns about the image centre.
    const double left = spec.margin + spec.body;
    const double top = spec.margin + spec.body;
    const double widen = spec.perspective * gridWidth / 2.0;
    const QPointF unitCorners[4] = {QPointF(left + widen * 0.0, top),
                                    QPointF(left + gridWidth, top),
                                    QPointF(left - widen, top + gridHeight),
                                    QPointF(left + gridWidth + widen, top + gridHeight)};
    QTransform turn;
    turn.translate(width / 2.0, height / 2.0);
    turn.rotate(spec.rotation);
    turn.translate(-width / 2.0, -height / 2.0);
    for (int i = 0; i < 4; ++i)
        shot.corners[i] = turn.map(unitCorners[i]);

    shot.image.allocate(width, height, 3, spec.bits);
    std::mt19937 random(spec.seed);
    std::normal_distribution<double> noise(0.0, spec.noise > 0 ? spec.noise : 1.0);
    // Each pixel maps back to grid coordinates (u, v) through the inverse of
    // the bilinear grid, found by a few Newton steps.
    const QTransform back = turn.inverted();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QPointF p = back.map(QPointF(x + 0.5, y + 0.5));
            const double v = (p.y() - top) / gridHeight;
            const double rowLeft = left - widen * v;
            const double rowWidth = gridWidth + 2 * widen * v;
            const double u = (p.x() - rowLeft) / rowWidth;
            std::array<double, 3> value;
            const double bodyU = spec.body / double(gridWidth);
            const double bodyV = spec.body / double(gridHeight);
            if (u >= 0 && u < 1 && v >= 0 && v < 1) {
                const int column = std::min(spec.columns - 1, int(u * spec.columns));
                const int row = std::min(spec.rows - 1, int(v * spec.rows));
                value = shot.devices[std::size_t(shot.setAt(column, row))];
            } else if (u >= -bodyU && u < 1 + bodyU && v >= -bodyV && v < 1 + bodyV) {
                value = {900.0, 900.0, 900.0};
            } else {
                value = {30000.0, 30000.0, 30000.0};
            }
            for (int c = 0; c < 3; ++c) {
                double s = value[std::size_t(c)];
                if (spec.noise > 0)
                    s += noise(random);
                s = std::min(65535.0, std::max(0.0, s));
                if (spec.bits == 8)
                    shot.image.rowData8(y)[x * 3 + c] = std::uint8_t(std::lround(s / 257.0));
                else
                    shot.image.rowData16(y)[x * 3 + c] = std::uint16_t(std::lround(s));
            }
        }
    }
    QImage display(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            display.setPixel(x, y, qRgb(shot.image.sample8(x, y, 0), shot.image.sample8(x, y, 1),
                                        shot.image.sample8(x, y, 2)));
    shot.pixmap = QPixmap::fromImage(display);
    return shot;
}

namespace {

TIFF *openRgbTiff(const QString &path, int width, int height, int bits)
{
    TIFF *tiff = TIFFOpen(path.toLocal8Bit().constData(), "w");
    if (!tiff)
        return nullptr;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(height));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(bits));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(1));
    return tiff;
}

}  // namespace

bool ChartShot::writeTiff(const QString &path, const QByteArray &icc) const
{
    TIFF *tiff = openRgbTiff(path, image.width(), image.height(), image.bitsPerSample());
    if (!tiff)
        return false;
    if (!icc.isEmpty())
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, uint32_t(icc.size()), icc.constData());
    bool ok = true;
    for (int y = 0; y < image.height() && ok; ++y)
        ok = TIFFWriteScanline(tiff, const_cast<std::uint8_t *>(image.rowBytes(y)), uint32_t(y), 0) >= 0;
    TIFFClose(tiff);
    return ok;
}

bool ChartShot::writeDevelopedTiff(const QString &path, const std::function<double(double)> &tone,
                                   const char *make, const char *model) const
{
    TIFF *tiff = openRgbTiff(path, image.width(), image.height(), 16);
    if (!tiff)
        return false;
    std::vector<std::uint16_t> ramp(65536);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = std::uint16_t(i);
    TIFFSetField(tiff, TIFFTAG_TRANSFERFUNCTION, ramp.data(), ramp.data(), ramp.data());
    TIFFSetField(tiff, TIFFTAG_MAKE, make);
    TIFFSetField(tiff, TIFFTAG_MODEL, model);
    std::vector<std::uint16_t> row(std::size_t(image.width()) * 3);
    bool ok = true;
    for (int y = 0; y < image.height() && ok; ++y) {
        for (int x = 0; x < image.width(); ++x)
            for (int c = 0; c < 3; ++c) {
                const double linear = image.sample16(x, y, c) / 65535.0;
                const double level = std::min(1.0, std::max(0.0, tone(linear)));
                row[std::size_t(x) * 3 + std::size_t(c)] = std::uint16_t(std::lround(level * 65535.0));
            }
        ok = TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) >= 0;
    }
    TIFFClose(tiff);
    return ok;
}

bool ChartShot::writeDng(const QString &path, const char *make, const char *model) const
{
    TIFF *tiff = TIFFOpen(path.toLocal8Bit().constData(), "w");
    if (!tiff)
        return false;
    static const std::uint8_t version[4] = {1, 4, 0, 0};
    static const std::uint16_t dim[2] = {2, 2};
    static const std::uint8_t pattern[4] = {0, 1, 1, 2};
    static const float matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    static const float neutral[3] = {1, 1, 1};
    const std::uint32_t white = 65535;
    const float black = 0.0f;
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, std::uint32_t(0));
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, std::uint32_t(image.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, std::uint32_t(image.height()));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(1));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, std::uint16_t(16));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, std::uint16_t(32803));  // CFA
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, std::uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, std::uint32_t(16));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, std::uint16_t(COMPRESSION_NONE));
    TIFFSetField(tiff, TIFFTAG_MAKE, make);
    TIFFSetField(tiff, TIFFTAG_MODEL, model);
    TIFFSetField(tiff, TIFFTAG_DNGVERSION, version);
    TIFFSetField(tiff, TIFFTAG_DNGBACKWARDVERSION, version);
    TIFFSetField(tiff, TIFFTAG_UNIQUECAMERAMODEL, model);
    TIFFSetField(tiff, TIFFTAG_CFAREPEATPATTERNDIM, dim);
    TIFFSetField(tiff, TIFFTAG_CFAPATTERN, 4, pattern);
    TIFFSetField(tiff, TIFFTAG_WHITELEVEL, 1, &white);
    TIFFSetField(tiff, TIFFTAG_BLACKLEVEL, 1, &black);
    TIFFSetField(tiff, TIFFTAG_COLORMATRIX1, 9, matrix);
    TIFFSetField(tiff, TIFFTAG_CALIBRATIONILLUMINANT1, std::uint16_t(21));
    TIFFSetField(tiff, TIFFTAG_ASSHOTNEUTRAL, 3, neutral);
    std::vector<std::uint16_t> row(std::size_t(image.width()));
    bool ok = true;
    for (int y = 0; y < image.height() && ok; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int c = (y & 1) == 0 ? ((x & 1) == 0 ? 0 : 1) : ((x & 1) == 0 ? 1 : 2);
            row[std::size_t(x)] = image.sample16(x, y, c);
        }
        ok = TIFFWriteScanline(tiff, row.data(), std::uint32_t(y), 0) == 1;
    }
    TIFFClose(tiff);
    return ok;
}
