#include "chart/Illuminant.h"
#include "ChartLogging.h"

#include "chart/CgatsNormaliser.h"
#include "chart/ISO12642_Scanner.h"
#include "chart/VandrelithFile_Parser.h"

#include <QBuffer>
#include <QDebug>
#include <QFile>

#include <algorithm>
#include <map>
#include <set>

Illuminant::~Illuminant() = default;

void Illuminant::range(int* start, int* end, int* step) const
{
    if (start)
        *start = m_start;
    if (end)
        *end = m_end;
    if (step)
        *step = m_step;
}

double Illuminant::value(int i) const
{
    if (i < 0 || m_values.empty() || static_cast<size_t>(i) >= m_values.size())
        return 0.0;
    if (static_cast<long long>(m_start) + static_cast<long long>(i) * m_step > m_end)
        return 0.0;
    return m_values[static_cast<size_t>(i)];
}

IlluminantIF::LoadError Illuminant::loadFromFile(const QString& path, QString& message)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return LoadCannotOpen;
    return loadFromText(file.readAll(), message);
}

IlluminantIF::LoadError Illuminant::loadFromText(const QByteArray& text, QString& message)
{
    QByteArray normalised = normaliseCgats(text);
    QBuffer buffer(&normalised);
    buffer.open(QIODevice::ReadOnly);
    ISO12642_QFile_Scanner scanner(&buffer);
    VandrelithFile_Parser parser(&scanner);
    if (parser.parse() != 0) {
        message = parser.errorText();
        return LoadParseError;
    }
    const int sets = parser.numberOfSets();
    if (sets <= 0)
        return LoadNoDataSets;

    const QStringList columns = parser.columnNames();
    qCDebug(lcScience, "illuminant columns: %s", qUtf8Printable(columns.join(QLatin1Char(','))));
    static const char* const prefixes[] = {"R_", "nm", "SPECTRAL_", "SPEC_"};
    QString prefix;
    for (const char* p : prefixes) {
        const QString candidate = QString::fromLatin1(p);
        if (std::any_of(columns.begin(), columns.end(),
                        [&](const QString& c) { return c.startsWith(candidate); })) {
            prefix = candidate;
            break;
        }
    }
    // Wavelengths of the spectral columns (column names by wavelength).
    std::map<int, QString> wavelengths;
    if (!prefix.isEmpty()) {
        for (const QString& c : columns) {
            if (!c.startsWith(prefix))
                continue;
            bool ok = false;
            const int nm = c.mid(prefix.size()).toInt(&ok, 10);
            if (ok && nm > 0 && nm <= MaxWavelength)
                wavelengths.emplace(nm, c);
        }
    }
    if (wavelengths.empty())
        return LoadNoSpectralFields;
    const int start = wavelengths.begin()->first;
    const int end = wavelengths.rbegin()->first;
    int step = end > start ? end - start : 1;
    for (auto it = wavelengths.begin(), next = std::next(it); next != wavelengths.end();
         ++it, ++next)
        step = std::min(step, next->first - it->first);

    QString missing;
    for (int nm = start; nm <= end; nm += step) {
        if (wavelengths.find(nm) == wavelengths.end())
            missing += QLatin1Char(' ') + prefix + QString::number(nm);
    }
    if (!missing.isEmpty()) {
        message = missing;
        return LoadFieldsMissing;
    }

    const size_t count = static_cast<size_t>((end - start) / step + 1);
    std::vector<double> values(count, 0.0);
    for (size_t i = 0; i < count; ++i) {
        const QString& column = wavelengths[start + static_cast<int>(i) * step];
        double sum = 0.0;
        for (int set = 0; set < sets; ++set) {
            const QString text = parser.value(set, column);
            bool ok = false;
            const double v = text.toDouble(&ok);
            if (!ok) {
                message = QStringLiteral("illegal value '%1' of %2 in data set %3\n")
                              .arg(text, column)
                              .arg(set + 1);
                return LoadParseError;
            }
            sum += v;
        }
        values[i] = sum / sets;
    }
    m_values.swap(values);
    m_start = start;
    m_end = end;
    m_step = step;
    message = QStringLiteral("%1-%2/%3 nm").arg(start).arg(end).arg(step);
    return LoadOk;
}

IlluminantIF* illuminantNew() { return new Illuminant; }
