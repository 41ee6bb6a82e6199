#include <chart/Target.h>
#include "ChartLogging.h"

#include <chart/CIEColor.h>
#include <chart/CgatsNormaliser.h>
#include <chart/ISO12642_Scanner.h>
#include <chart/Patch.h>
#include <chart/VandrelithFile_Parser.h>

#include <colour/Kirr_Spline1.h>

#include <QBuffer>
#include <QDebug>

#include <algorithm>
#include <cmath>

namespace {

struct ControlCode {
    const char* code;
    int type;
    int primary;
};

// Codes that mark a patch as part of the chart's reference sets; "I" patches
// are on the chart but carry no reference.
const ControlCode kControlCodes[] = {
    {"N", PatchIF::TypeColour, 0},      {"LC", PatchIF::TypeLightness, 0},
    {"BK", PatchIF::TypeReflection, 0}, {"GB", PatchIF::TypeGrey, 0},
    {"GBW", PatchIF::TypeGrey, 8},      {"PC", PatchIF::TypeColour, 1},
    {"PM", PatchIF::TypeColour, 2},     {"PY", PatchIF::TypeColour, 3},
    {"PK", PatchIF::TypeColour, 4},     {"PR", PatchIF::TypeColour, 5},
    {"PG", PatchIF::TypeColour, 6},     {"PB", PatchIF::TypeColour, 7},
};

// One parse of a normalised CGATS text; the device, scanner and parser live
// as long as this object.
struct ParsedText {
    QBuffer buffer;
    std::unique_ptr<ISO12642_QFile_Scanner> scanner;
    std::unique_ptr<VandrelithFile_Parser> p;
    bool ok = false;

    explicit ParsedText(const QByteArray& bytes)
    {
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        scanner = std::make_unique<ISO12642_QFile_Scanner>(&buffer);
        p = std::make_unique<VandrelithFile_Parser>(scanner.get());
        ok = p->parse() == 0;
    }
};

bool readNumber(const QString& text, double* out)
{
    if (text.isNull())
        return false;
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

// Spectral columns: prefix + wavelength, probed from 300 to 890 nm in 10 nm
// steps. The probed wavelengths must form one evenly spaced grid.
bool spectralRange(const QStringList& columns, const QString& prefix, int* start, int* end,
                   int* step)
{
    std::vector<int> found;
    for (int nm = 300; nm <= 890; nm += 10) {
        if (columns.contains(prefix + QString::number(nm)))
            found.push_back(nm);
    }
    if (found.size() < 2)
        return false;
    const int first = found.front();
    const int last = found.back();
    const int gaps = int(found.size()) - 1;
    if ((last - first) % gaps != 0)
        return false;
    const int s = (last - first) / gaps;
    for (int nm = first; nm <= last; nm += s) {
        if (!columns.contains(prefix + QString::number(nm)))
            return false;
    }
    *start = first;
    *end = last;
    *step = s;
    return true;
}

bool hasPrefixedWavelength(const QStringList& columns, const QString& prefix)
{
    for (const QString& name : columns) {
        if (!name.startsWith(prefix) || name.size() == prefix.size())
            continue;
        bool ok = false;
        name.mid(prefix.size()).toInt(&ok);
        if (ok)
            return true;
    }
    return false;
}

} // namespace

Target::Target()
    : m_referenceCache(std::make_shared<ReferenceCache>())
{
}

Target::Target(const Target& other) = default;
Target& Target::operator=(const Target& other) = default;
Target::~Target() = default;

bool Target::hasDataBlock(const QString& text) const
{
    return text.contains(QLatin1String("BEGIN_DATA"));
}

QString Target::normalisedReference(const QString& text)
{
    if (!m_referenceCache)
        m_referenceCache = std::make_shared<ReferenceCache>();
    auto it = m_referenceCache->constFind(text);
    if (it != m_referenceCache->constEnd())
        return QString::fromStdString(it.value());
    const QString normalised = normaliseCgats(text);
    m_referenceCache->insert(text, normalised.toStdString());
    return normalised;
}

TargetIF::statusE Target::loadDefFromISO12642(const QString& text)
{
    statusE status = StatusOk;
    if (text.isEmpty()) {
        qCDebug(lcTarget, "Target::loadDefFromISO12642: empty TargetData");
        status = StatusDefinitionEmpty;
    } else {
        ParsedText parsed(normaliseCgats(text).toUtf8());
        if (!parsed.ok) {
            m_lastError = parsed.p->errorText();
            m_referenceSetCount = 0;
            status = StatusParseError;
        } else {
            VandrelithFile_Parser& parser = *parsed.p;
            m_lastError.clear();
            m_patches.clear();
            m_controlPatchCount = 0;
            const bool rgb = !parser.value(0, "RGB_R").isNull()
                             && !parser.value(0, "RGB_G").isNull()
                             && !parser.value(0, "RGB_B").isNull();
            m_noRgb = !rgb;
            for (int set = 0; set < parser.numberOfSets(); ++set) {
                auto patch = std::make_shared<Patch>();
                if (rgb)
                    patch->setRgbCount(3);
                // A definition without a CONTROL column (or with an empty code)
                // lists plain colour patches.
                QString control = parser.value(set, "CONTROL").trimmed();
                if (control.isEmpty())
                    control = QStringLiteral("N");
                patch->setControl(control);
                if (control == QLatin1String("I")) {
                    patch->setType(PatchIF::TypeIgnored);
                    patch->setPrimary(0);
                } else {
                    for (const ControlCode& code : kControlCodes) {
                        if (control == QLatin1String(code.code)) {
                            patch->setType(code.type);
                            patch->setPrimary(code.primary);
                            break;
                        }
                    }
                    // Every patch that is not ignored takes one reference set,
                    // whatever its code, so it is counted.
                    ++m_controlPatchCount;
                }
                if (rgb) {
                    const char* names[3] = {"RGB_R", "RGB_G", "RGB_B"};
                    for (int i = 0; i < 3; ++i) {
                        double v = 0.0;
                        if (!readNumber(parser.value(set, names[i]), &v))
                            v = 0.0;
                        const double rounded = std::trunc(v + 0.5);
                        patch->setRgb(i, int(std::clamp(rounded, 0.0, 255.0)));
                    }
                }
                patch->setName(parser.value(set, "SAMPLE_ID"));
                m_patches.push_back(std::move(patch));
            }
            if (m_controlPatchCount != m_referenceSetCount)
                status = StatusCountMismatch;
        }
    }
    if (status != StatusOk) {
        qCDebug(lcTarget, "loadDef not ok.");
        m_rows = 0;
        m_columns = 0;
        // Never leave a partial target behind.
        m_patches.clear();
        m_controlPatchCount = 0;
    }
    return status;
}

TargetIF::statusE Target::loadReferenceFromISO12642(const QString& text, unsigned mode)
{
    if (text.isEmpty()) {
        qCDebug(lcTarget, "Target::loadReferenceFromISO12642: refData empty");
        return StatusReferenceEmpty;
    }
    ParsedText parsed(normalisedReference(text).toUtf8());
    if (!parsed.ok) {
        m_lastError = parsed.p->errorText();
        m_referenceSetCount = 0;
        return StatusParseError;
    }
    m_lastError.clear();
    VandrelithFile_Parser& parser = *parsed.p;
    if (mode == ReadCounting) {
        m_referenceDescription = parser.keywordValue("DESCRIPTOR");
        m_referenceSetCount = unsigned(std::max(0, parser.numberOfSets()));
        return StatusOk;
    }
    if (mode != ReadValues)
        return StatusNoReferenceData;

    enum Kind { None, Spectral, XYZ, Lab } kind = None;
    const QStringList columns = parser.columnNames();
    QString prefix = m_namePrefix;
    if (prefix.isEmpty() || !hasPrefixedWavelength(columns, prefix)) {
        prefix.clear();
        for (const char* candidate : {"SPECTRAL_", "R_"}) {
            if (hasPrefixedWavelength(columns, QLatin1String(candidate))) {
                prefix = QLatin1String(candidate);
                break;
            }
        }
    }
    auto hasAll = [&columns](const char* a, const char* b, const char* c) {
        return columns.contains(QLatin1String(a)) && columns.contains(QLatin1String(b))
               && columns.contains(QLatin1String(c));
    };
    if (!prefix.isEmpty())
        kind = Spectral;
    else if (hasAll("XYZ_X", "XYZ_Y", "XYZ_Z"))
        kind = XYZ;
    else if (hasAll("LAB_L", "LAB_A", "LAB_B"))
        kind = Lab;
    if (kind == None)
        return StatusNoReferenceData;

    int start = 0, end = 0, step = 0;
    if (kind == Spectral && !spectralRange(columns, prefix, &start, &end, &step))
        return StatusNoReferenceData;

    // A reference of another chart would leave patches without values or read
    // past its sets.
    if (unsigned(std::max(0, parser.numberOfSets())) != m_controlPatchCount) {
        m_lastError = QStringLiteral("the reference has %1 data sets, the definition %2 patches")
                          .arg(parser.numberOfSets())
                          .arg(m_controlPatchCount);
        return StatusCountMismatch;
    }

    // Read every value first, so that a bad value changes no patch.
    const int count = kind == Spectral ? (end - start) / step + 1 : 3;
    std::vector<std::vector<double>> values;
    values.reserve(m_patches.size());
    double maximum = 0.0;
    int set = 0;
    for (const auto& patch : m_patches) {
        if (patch->type() == PatchIF::TypeIgnored) {
            values.emplace_back();
            continue;
        }
        std::vector<double> v(std::size_t(count), 0.0);
        QStringList names;
        if (kind == Lab)
            names = QStringList{QStringLiteral("LAB_L"), QStringLiteral("LAB_A"), QStringLiteral("LAB_B")};
        else if (kind == XYZ)
            names = QStringList{QStringLiteral("XYZ_X"), QStringLiteral("XYZ_Y"), QStringLiteral("XYZ_Z")};
        else
            for (int nm = start; nm <= end; nm += step)
                names << prefix + QString::number(nm);
        for (int i = 0; i < count; ++i) {
            if (!readNumber(parser.value(set, names.at(i)), &v[std::size_t(i)])) {
                m_lastError = QStringLiteral("data set %1: value of %2 is not a number")
                                  .arg(set + 1)
                                  .arg(names.at(i));
                return StatusParseError;
            }
            maximum = std::max(maximum, v[std::size_t(i)]);
        }
        values.push_back(std::move(v));
        ++set;
    }

    for (std::size_t k = 0; k < m_patches.size(); ++k) {
        const std::vector<double>& v = values[k];
        if (v.empty())
            continue;
        PatchIF* patch = m_patches[k].get();
        switch (kind) {
        case Lab: patch->setReferenceLab(v[0], v[1], v[2]); break;
        case XYZ: patch->setReferenceXYZ(v[0], v[1], v[2]); break;
        default: patch->setReferenceSpectrum(v.data(), count, start, step, nullptr); break;
        }
    }
    if (kind == Spectral) {
        // Reflectances given in percent.
        const bool percent = maximum > 3.0;
        for (const auto& patch : m_patches) {
            if (!patch->hasSpectrum())
                continue;
            if (percent)
                patch->scaleSpectrum(0.01);
            if (auto* p = dynamic_cast<Patch*>(patch.get()))
                p->resampleReferenceSpectrum(31, 400, 10);
        }
    }
    return StatusOk;
}

void Target::applyLightnessCurve()
{
    // A gentle lift of the mid tones on the 0..255 scale (L* x 2.55); black and
    // white stay.
    Kirr_Spline1 curve;
    curve.addPoint(0.0, 0.0);
    curve.addPoint(127.0, 150.0);
    curve.addPoint(255.0, 255.0);
    curve.solve(true);
    for (const auto& patch : m_patches) {
        if (patch->type() == PatchIF::TypeIgnored)
            continue;
        const auto* p = dynamic_cast<const Patch*>(patch.get());
        if (!p || !p->reference())
            continue;
        const double L = patch->referenceLab(0);
        const double mapped = std::clamp(curve.evaluate(std::clamp(L * 2.55, 0.0, 255.0)) / 2.55,
                                         0.0, 100.0);
        patch->setReferenceLab(mapped, patch->referenceLab(1), patch->referenceLab(2));
    }
}

void Target::setRows(unsigned rows) { m_rows = rows; }
unsigned Target::rows() const { return m_rows; }
void Target::setColumns(unsigned columns) { m_columns = columns; }
unsigned Target::columns() const { return m_columns; }
unsigned Target::referenceSetCount() const { return m_referenceSetCount; }
unsigned Target::controlPatchCount() const { return m_controlPatchCount; }

PatchIF* Target::patch(unsigned column, unsigned row) const
{
    const unsigned long long index =
        (unsigned long long)column + (unsigned long long)row * m_columns;
    return index < m_patches.size() ? m_patches[std::size_t(index)].get() : nullptr;
}

PatchIF* Target::patchAt(unsigned index) const
{
    return index < m_patches.size() ? m_patches[index].get() : nullptr;
}

QString Target::lastError() const { return m_lastError; }

void Target::setChannelFactorCount(unsigned n)
{
    m_channelFactors.resize(n, 0.0);
}

void Target::setChannelFactor(unsigned i, double v)
{
    if (i < m_channelFactors.size())
        m_channelFactors[i] = v;
}

void Target::clearChannelFactors()
{
    std::fill(m_channelFactors.begin(), m_channelFactors.end(), 0.0);
}

unsigned Target::channelFactorCount() const { return unsigned(m_channelFactors.size()); }

bool Target::hasChannelFactors(unsigned n) const
{
    if (m_channelFactors.capacity() == 0 || n > m_channelFactors.size())
        return false;
    return std::all_of(m_channelFactors.begin(), m_channelFactors.begin() + n,
                       [](double f) { return f > 0.0; });
}

double Target::channelFactor(unsigned i) const
{
    return i < m_channelFactors.size() ? m_channelFactors[i] : 0.0;
}

void Target::setScaleFactor(double factor) { m_scaleFactor = factor; }
void Target::resetScaleFactor() { m_scaleFactor = 1.0; }
double Target::scaleFactor() const { return m_scaleFactor; }

unsigned Target::patchCount() const { return unsigned(m_patches.size()); }
bool Target::noRgb() const { return m_noRgb; }
QString Target::referenceDescription() const { return m_referenceDescription; }
void Target::setNamePrefix(const QString& prefix) { m_namePrefix = prefix; }
QString Target::namePrefix() const { return m_namePrefix; }
