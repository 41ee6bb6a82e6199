// Bringing a target's reference data and definition into its Target.
#include "jobs/pq_Job.h"

#include "jobs_logging.h"

#include <QRegularExpression>

namespace {

const QRegularExpression &lineBreaks()
{
    static const QRegularExpression re(QStringLiteral("[\r\n]|\r\n"));
    return re;
}

}  // namespace

bool pq_Job::loadCurrentTarget()
{
    const pq_targetInfo *description = currentTargetInfo();
    if (!description)
        return false;
    if (description->rows <= 0 || description->columns <= 0
        || description->rows > pq_targetInfo::MaxGridSide
        || description->columns > pq_targetInfo::MaxGridSide
        || qint64(description->rows) * description->columns > pq_targetInfo::MaxPatches) {
        qCDebug(lcJob) << "loadCurrentTarget: grid of" << description->rows << "x"
                       << description->columns << "refused";
        return false;
    }
    Target &target = m_targets[size_t(m_currentTargetIndex)];
    target.setRows(unsigned(description->rows));
    target.setColumns(unsigned(description->columns));
    return loadTargetData(false) == 0;
}

int pq_Job::loadTargetData(bool transposeReference)
{
    const pq_targetInfo *description = currentTargetInfo();
    if (!description)
        return 5;
    QString reference = description->referenceData;
    if (reference.isEmpty())
        reference = description->referenceFileText();
    if (transposeReference)
        reorderDataBlock(reference, QStringLiteral("TLR"));
    cleanQuotedLines(reference);
    Target &target = m_targets[size_t(m_currentTargetIndex)];
    if (!target.hasDataBlock(reference))
        return 5;
    int r = target.loadReferenceFromISO12642(reference, TargetIF::ReadCounting);
    if (r == 2)
        return 3;
    if (r == 5)
        return 6;
    if (r != 0)
        return r;
    QString definition = description->targetDefinition;
    if (description->fieldOrder == QLatin1String("TRR")
        || description->fieldOrder == QLatin1String("TLR"))
        reorderDataBlock(definition, description->fieldOrder);
    r = target.loadDefFromISO12642(definition);
    if (r == 2)
        return 4;
    if (r == 5)
        return 7;
    if (r != 0)
        return r;
    r = target.loadReferenceFromISO12642(reference, TargetIF::ReadValues);
    if (r == 0 && areAllChartImagesRaw()) {
        const bool lightness = isC1InsteadOfDCP()
            ? m_expertSettings.c1ProfileTypeIndex() == 9
            : m_expertSettings.cameraProfileTypeIndex() == 4;
        if (lightness)
            target.applyLightnessCurve();
    }
    return r;
}

bool pq_Job::reorderDataBlock(QString &text, const QString &fieldOrder) const
{
    const pq_targetInfo *description = currentTargetInfo();
    if (!description)
        return false;
    return reorderDataBlock(text, fieldOrder, description->rows, description->columns,
                            description->patches);
}

bool pq_Job::reorderDataBlock(QString &text, const QString &fieldOrder, int rows, int columns,
                              int patches)
{
    const bool fromRight = fieldOrder == QLatin1String("TRR");
    if (!fromRight && fieldOrder != QLatin1String("TLR"))
        return false;
    if (rows <= 0 || columns <= 0 || patches <= 0 || qint64(rows) * columns != patches)
        return false;
    QStringList lines = text.split(lineBreaks(), Qt::SkipEmptyParts);
    int start = 0;
    for (int i = 0; i < lines.size(); ++i)
        if (lines.at(i).contains(QLatin1String("BEGIN_DATA_"), Qt::CaseInsensitive))
            start = i + 1;
    int begin = -1;
    for (int i = start; i < lines.size() && begin < 0; ++i)
        if (lines.at(i).contains(QLatin1String("BEGIN_DATA"), Qt::CaseInsensitive))
            begin = i;
    if (begin < 0)
        return false;
    int end = -1;
    for (int i = begin + 2; i < lines.size() && end < 0; ++i)
        if (lines.at(i).contains(QLatin1String("END_DATA"), Qt::CaseInsensitive))
            end = i;
    if (end < 0 || end - begin != patches + 1)
        return false;
    const int first = begin + 1;
    QStringList ordered;
    ordered.reserve(patches);
    for (int m = 0; m < rows; ++m)
        for (int k = 0; k < columns; ++k)
            ordered.append(lines.at(first + m + rows * (fromRight ? columns - 1 - k : k)));
    for (int i = 0; i < patches; ++i)
        lines[first + i] = ordered.at(i);
    text = lines.join(QLatin1Char('\n'));
    return true;
}

void pq_Job::cleanQuotedLines(QString &text)
{
    QStringList lines = text.split(lineBreaks(), Qt::SkipEmptyParts);
    const QChar quote = QLatin1Char('"');
    for (QString &line : lines) {
        if (line.size() < 2 || !line.startsWith(quote) || !line.endsWith(quote))
            continue;
        const QString inner = line.mid(1, line.size() - 2);
        QString collapsed;
        bool allDoubled = true;
        for (int i = 0; i < inner.size() && allDoubled; ++i) {
            if (inner.at(i) != quote) {
                collapsed += inner.at(i);
            } else if (i + 1 < inner.size() && inner.at(i + 1) == quote) {
                collapsed += quote;
                ++i;
            } else {
                allDoubled = false;
            }
        }
        if (allDoubled)
            line = collapsed;
    }
    text = lines.join(QLatin1Char('\n'));
}
