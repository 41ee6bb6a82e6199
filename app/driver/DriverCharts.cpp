#include "DriverCharts.h"

#include "chart/Patch.h"
#include "chart/Target.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_targetInfo.h"

#include "engine/cgats.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

std::vector<ReferencePatch> readReferencePatches(const QString& path)
{
    std::vector<ReferencePatch> patches;
    patch_set set{};
    if (patch_set_init(&set) != 0)
        return patches;
    if (read_cgats_file(QFile::encodeName(path).constData(), &set) == 0) {
        for (int32_t i = 0; i < set.count; ++i) {
            double lab[3];
            if (patch_set_get_lab(&set, i, lab) != 0) {
                patches.clear();
                break;
            }
            patches.push_back({QString::fromUtf8(set.patches[i].name), {lab[0], lab[1], lab[2]}});
        }
    }
    patch_set_free(&set);
    return patches;
}

QString chartDefinition(int columns, int rows, const std::vector<ReferencePatch>& patches)
{
    const int count = columns * rows;
    QString text = QStringLiteral("IS12642\nNUMBER_OF_FIELDS 2\nBEGIN_DATA_FORMAT\nSAMPLE_ID CONTROL\n"
                                  "END_DATA_FORMAT\nNUMBER_OF_SETS %1\nBEGIN_DATA\n").arg(count);
    for (int i = 0; i < count && i < int(patches.size()); ++i) {
        QString control = QStringLiteral("N");
        if (i / columns == rows - 1) {
            const int column = i % columns;
            control = column == 0 ? QStringLiteral("GBW")
                                  : column == columns - 1 ? QStringLiteral("BK") : QStringLiteral("GB");
        }
        text += patches[std::size_t(i)].name + QLatin1Char(' ') + control + QLatin1Char('\n');
    }
    return text + QStringLiteral("END_DATA\n");
}

ChartShotSpec roomySpec()
{
    ChartShotSpec spec;
    spec.cell = 40;
    spec.margin = 40;
    return spec;
}

ChartShot referenceChartShot(ChartShotSpec spec, const std::vector<ReferencePatch>& patches,
                             const std::array<double, 3>& tint)
{
    spec.rotation = 0;
    spec.perspective = 0;
    spec.tlrOrder = false;
    ChartShot shot = makeChartShot(spec);
    const int count = spec.columns * spec.rows;
    if (int(patches.size()) != count)
        return shot;
    shot.definition = chartDefinition(spec.columns, spec.rows, patches);
    shot.reference = QStringLiteral("NUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L LAB_A LAB_B\n"
                                    "END_DATA_FORMAT\nNUMBER_OF_SETS %1\nBEGIN_DATA\n").arg(count);
    for (int i = 0; i < count; ++i) {
        const ReferencePatch& patch = patches[std::size_t(i)];
        shot.names[std::size_t(i)] = patch.name;
        shot.controls[std::size_t(i)] = i / spec.columns < spec.rows - 1 ? QStringLiteral("N")
                                        : i % spec.columns == 0           ? QStringLiteral("GBW")
                                        : i % spec.columns == spec.columns - 1 ? QStringLiteral("BK")
                                                                               : QStringLiteral("GB");
        shot.labs[std::size_t(i)] = patch.lab;
        std::array<double, 3> device = chartShotCamera(patch.lab);
        for (int c = 0; c < 3; ++c)
            device[std::size_t(c)] = std::min(65535.0, std::round(device[std::size_t(c)] * tint[std::size_t(c)]));
        shot.devices[std::size_t(i)] = device;
        shot.reference += QStringLiteral("%1 %2 %3 %4\n").arg(patch.name).arg(patch.lab[0]).arg(patch.lab[1]).arg(
            patch.lab[2]);
    }
    shot.reference += QStringLiteral("END_DATA\n");
    const int left = spec.margin + spec.body;
    const int top = spec.margin + spec.body;
    for (int row = 0; row < spec.rows; ++row) {
        for (int column = 0; column < spec.columns; ++column) {
            const std::array<double, 3> device = shot.devices[std::size_t(row * spec.columns + column)];
            for (int y = top + row * spec.cell; y < top + (row + 1) * spec.cell; ++y) {
                for (int x = left + column * spec.cell; x < left + (column + 1) * spec.cell; ++x) {
                    for (int c = 0; c < 3; ++c) {
                        if (spec.bits == 8)
                            shot.image.rowData8(y)[x * 3 + c] = quint8(std::lround(device[std::size_t(c)] / 257.0));
                        else
                            shot.image.rowData16(y)[x * 3 + c] = quint16(device[std::size_t(c)]);
                    }
                }
            }
        }
    }
    return shot;
}

QString spectralReference(int columns, int rows)
{
    QString text = QStringLiteral("IS12642\nNUMBER_OF_FIELDS %1\nBEGIN_DATA_FORMAT\nSAMPLE_ID").arg(37);
    for (int nm = 380; nm <= 730; nm += 10)
        text += QStringLiteral(" SPECTRAL_%1").arg(nm);
    text += QStringLiteral("\nEND_DATA_FORMAT\nNUMBER_OF_SETS %1\nBEGIN_DATA\n").arg(columns * rows);
    for (int i = 0; i < columns * rows; ++i) {
        text += QStringLiteral("%1%2").arg(QChar('A' + i / columns)).arg(i % columns + 1, 2, 10, QChar('0'));
        for (int nm = 380; nm <= 730; nm += 10) {
            double value;
            if (i / columns == rows - 1) {
                // The grey ramp, white first.
                value = 0.9 * std::pow(0.5, 5.0 * (i % columns) / std::max(1, columns - 1));
            } else {
                // One or two bands over a low floor, at places spread over the spectrum.
                const double centre = 410 + 290.0 * ((i * 5) % 17) / 16.0;
                const double width = 30 + 12 * (i % 3);
                value = 0.05 + 0.7 * std::exp(-std::pow((nm - centre) / width, 2));
                if (i % 4 == 1)
                    value += 0.25 * std::exp(-std::pow((nm - 690) / 50.0, 2));
            }
            text += QStringLiteral(" %1").arg(value, 0, 'f', 5);
        }
        text += QLatin1Char('\n');
    }
    return text + QStringLiteral("END_DATA\n");
}

std::vector<ReferencePatch> referencePatchesOf(const QString& path, int columns, int rows)
{
    std::vector<ReferencePatch> patches = readReferencePatches(path);
    if (!patches.empty())
        return patches;
    // Spectral data: the colours as a job reads them (D50).
    pq_Job job{QString(), QString()};
    auto* description = new pq_targetInfo;
    description->name = QStringLiteral("reference");
    description->columns = columns;
    description->rows = rows;
    description->patches = columns * rows;
    description->setTargetFile(path);
    std::vector<ReferencePatch> names;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return patches;
    description->referenceData = QString::fromUtf8(file.readAll());
    for (int i = 0; i < columns * rows; ++i)
        names.push_back({QStringLiteral("%1%2").arg(QChar('A' + i / columns)).arg(i % columns + 1, 2, 10, QChar('0')),
                         {0, 0, 0}});
    description->targetDefinition = chartDefinition(columns, rows, names);
    job.addTargetInfo(description);
    if (job.loadTargetData(false) != 0)
        return patches;
    const TargetIF* target = job.currentTarget();
    for (unsigned i = 0; target && i < target->referenceSetCount(); ++i) {
        const PatchIF* patch = target->patchAt(i);
        patches.push_back({patch->name(), {patch->referenceLab(0), patch->referenceLab(1), patch->referenceLab(2)}});
    }
    return patches;
}

bool writeTargetTemplate(const QString& templatesFolder, const QString& name, int columns, int rows,
                         const QString& referencePath)
{
    const QString folder = templatesFolder + QStringLiteral("/Targets");
    const std::vector<ReferencePatch> patches = referencePatchesOf(referencePath, columns, rows);
    if (int(patches.size()) != columns * rows || !QDir().mkpath(folder))
        return false;
    pq_targetInfo description;
    description.name = name;
    description.model = name;
    description.rows = rows;
    description.columns = columns;
    description.patches = columns * rows;
    description.setTargetFile(referencePath);
    description.targetDefinition = chartDefinition(columns, rows, patches);
    ChartShotSpec spec;
    spec.columns = columns;
    spec.rows = rows;
    spec.cell = 16;
    spec.margin = 0;
    spec.bits = 8;
    const ChartShot picture = referenceChartShot(spec, patches);
    QImage image(picture.image.width(), picture.image.height(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            // The linear camera values made brighter for the eye.
            auto shown = [&](int c) { return int(std::lround(255.0 * std::sqrt(picture.image.sample8(x, y, c) / 255.0))); };
            image.setPixel(x, y, qRgb(shown(0), shown(1), shown(2)));
        }
    const QString pictureName = name + QStringLiteral(".png");
    if (!image.save(folder + QLatin1Char('/') + pictureName))
        return false;
    description.targetFullResFilePath = QStringLiteral("Targets/") + pictureName;
    QSaveFile file(folder + QLatin1Char('/') + name + QStringLiteral(".xml"));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(("<?xml version='1.0' encoding='UTF-8'?>\n" + description.makeExportXMLString(true)).toUtf8());
    return file.commit();
}
