#include "jobs/pq_targetTemplates.h"

#include "jobs/pq_targetInfo.h"
#include "jobs_logging.h"

#include "chart/BoundedFile.h"
#include "chart/CgatsNormaliser.h"
#include "chart/ISO12642_Scanner.h"
#include "chart/Patch.h"
#include "chart/Target.h"
#include "chart/VandrelithFile_Parser.h"
#include "engine/target_image.h"
#include "platform/atomic_file.h"
#include "platform/program_folders.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSet>

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Reference files of the package whose patches are listed down the chart's
// columns (A1 to A6 is the chart's first column). A job pairs the reference
// sets with its grid row by row, so these cannot keep the file as their
// reference; their names alone look like a chart listed row by row.
const char *const kListedByColumns[] = {"SpyderChecker.cie", "SpyderChecker24.cie"};

// Neutral patches (chroma against the chart's white at most this) are marked
// grey, which the white balance of raw shots reads.
constexpr double kGreyChroma = 3.0;

struct Grid
{
    int columns = 0;
    int rows = 0;
};

// The grid that names such as "A01", "B1" or "2C19" (a letter part and a
// number) form when the file lists them row by row: one part stays the same
// along a row, the other runs through the same values in every row.
bool rowByRowGrid(const QStringList &names, Grid *grid, QString *why)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]*[A-Za-z]+)([0-9]+)$"));
    const int n = names.size();
    if (n < 2) {
        *why = QStringLiteral("fewer than two patches");
        return false;
    }
    QStringList letters, numbers;
    for (const QString &name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch()) {
            *why = QStringLiteral("patch name \"%1\" is no letter and number").arg(name.left(40));
            return false;
        }
        letters << match.captured(1).toUpper();
        numbers << QString::number(match.captured(2).toLongLong());
    }
    const bool lettersNameRows = letters.at(0) == letters.at(1);
    const QStringList &rowKey = lettersNameRows ? letters : numbers;
    const QStringList &columnKey = lettersNameRows ? numbers : letters;
    int columns = 1;
    while (columns < n && rowKey.at(columns) == rowKey.at(0))
        ++columns;
    if (columns < 2 || n % columns != 0) {
        *why = QStringLiteral("rows of different lengths");
        return false;
    }
    QSet<QString> rowsSeen, columnsSeen;
    for (int c = 0; c < columns; ++c)
        columnsSeen.insert(columnKey.at(c));
    if (columnsSeen.size() != columns) {
        *why = QStringLiteral("a name repeats within a row");
        return false;
    }
    for (int r = 0; r * columns < n; ++r) {
        const QString key = rowKey.at(r * columns);
        if (rowsSeen.contains(key)) {
            *why = QStringLiteral("row %1 repeats").arg(key);
            return false;
        }
        rowsSeen.insert(key);
        for (int c = 0; c < columns; ++c) {
            const int i = r * columns + c;
            if (rowKey.at(i) != key || columnKey.at(i) != columnKey.at(c)) {
                *why = QStringLiteral("patch \"%1\" breaks the grid").arg(names.at(i));
                return false;
            }
        }
    }
    grid->columns = columns;
    grid->rows = n / columns;
    return true;
}

// One parse of CGATS text as other programs write it.
struct Parsed
{
    QBuffer buffer;
    std::unique_ptr<ISO12642_QFile_Scanner> scanner;
    std::unique_ptr<VandrelithFile_Parser> parser;
    bool ok = false;

    explicit Parsed(const QByteArray &text)
    {
        buffer.setData(normaliseCgats(text));
        buffer.open(QIODevice::ReadOnly);
        scanner = std::make_unique<ISO12642_QFile_Scanner>(&buffer);
        parser = std::make_unique<VandrelithFile_Parser>(scanner.get());
        ok = parser->parse() == 0;
    }
};

QString quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// A definition of the patches in the file's order; with colours, each line
// also carries its control code and display RGB.
QString definitionText(const QString &descriptor, const QStringList &names,
                       const QStringList &controls = {},
                       const std::vector<std::array<unsigned char, 3>> &rgb = {})
{
    const bool full = !rgb.empty();
    QString text = QStringLiteral("IS12642\nDESCRIPTOR %1\n").arg(quoted(descriptor));
    text += full ? QStringLiteral("NUMBER_OF_FIELDS 5\nBEGIN_DATA_FORMAT\n"
                                  "SAMPLE_ID CONTROL RGB_R RGB_G RGB_B\nEND_DATA_FORMAT\n")
                 : QStringLiteral("NUMBER_OF_FIELDS 1\nBEGIN_DATA_FORMAT\nSAMPLE_ID\n"
                                  "END_DATA_FORMAT\n");
    text += QStringLiteral("NUMBER_OF_SETS %1\nBEGIN_DATA\n").arg(names.size());
    for (int i = 0; i < names.size(); ++i) {
        text += quoted(names.at(i));
        if (full)
            text += QStringLiteral(" %1 %2 %3 %4")
                        .arg(controls.at(i))
                        .arg(rgb[size_t(i)][0])
                        .arg(rgb[size_t(i)][1])
                        .arg(rgb[size_t(i)][2]);
        text += QLatin1Char('\n');
    }
    return text + QStringLiteral("END_DATA\n");
}

// Loads a definition and the reference into a target as a job does; false
// with the reason when they do not pair.
bool loadTarget(Target *target, const QString &definition, const QString &reference,
                QString *why)
{
    if (target->loadReferenceFromISO12642(reference, TargetIF::ReadCounting) != TargetIF::StatusOk
        || target->loadDefFromISO12642(definition) != TargetIF::StatusOk
        || target->loadReferenceFromISO12642(reference, TargetIF::ReadValues)
            != TargetIF::StatusOk) {
        *why = QStringLiteral("the reference does not load: %1").arg(target->lastError());
        return false;
    }
    return true;
}

struct Transform
{
    cmsHTRANSFORM handle = nullptr;
    Transform()
    {
        cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        if (lab && srgb)
            handle = cmsCreateTransform(lab, TYPE_Lab_DBL, srgb, TYPE_RGB_8,
                                        INTENT_RELATIVE_COLORIMETRIC, 0);
        if (lab)
            cmsCloseProfile(lab);
        if (srgb)
            cmsCloseProfile(srgb);
    }
    ~Transform()
    {
        if (handle)
            cmsDeleteTransform(handle);
    }
    Transform(const Transform &) = delete;
    Transform &operator=(const Transform &) = delete;
};

// Display colours and control codes from the reference colours, seen against
// the chart's own white (the patch of highest Y): the white shows as display
// white and patches of little chroma are grey.
bool colours(const Target &target, QStringList *controls,
             std::vector<std::array<unsigned char, 3>> *rgb)
{
    const unsigned n = target.patchCount();
    cmsCIEXYZ white = {0, 0, 0};
    for (unsigned i = 0; i < n; ++i) {
        const PatchIF *p = target.patchAt(i);
        if (!p)
            return false;
        if (p->referenceXYZ(1) > white.Y)
            white = {p->referenceXYZ(0), p->referenceXYZ(1), p->referenceXYZ(2)};
    }
    if (!(white.X > 0 && white.Y > 0 && white.Z > 0))
        return false;
    const cmsCIEXYZ whitePoint = {white.X / white.Y, 1.0, white.Z / white.Y};
    Transform transform;
    if (!transform.handle)
        return false;
    for (unsigned i = 0; i < n; ++i) {
        const PatchIF *p = target.patchAt(i);
        const cmsCIEXYZ xyz = {p->referenceXYZ(0) / white.Y, p->referenceXYZ(1) / white.Y,
                               p->referenceXYZ(2) / white.Y};
        cmsCIELab lab;
        cmsXYZ2Lab(&whitePoint, &lab, &xyz);
        controls->append(std::hypot(lab.a, lab.b) <= kGreyChroma ? QStringLiteral("GB")
                                                                  : QStringLiteral("N"));
        std::array<unsigned char, 3> out{};
        cmsDoTransform(transform.handle, &lab, out.data(), 1);
        rgb->push_back(out);
    }
    return true;
}

// The chart picture the engine renders from a definition, as PNG bytes.
QByteArray picturePng(const QString &definition, const Grid &grid)
{
    const QByteArray text = definition.toUtf8();
    target_image_layout layout{};
    std::vector<unsigned char> pixels;
    if (render_target_image(text.constData(), size_t(text.size()), grid.columns, grid.rows,
                            &layout, pixels)
        != TARGET_IMAGE_OK)
        return QByteArray();
    QImage image(layout.width, layout.height, QImage::Format_RGB888);
    if (image.isNull())
        return QByteArray();
    const size_t rowBytes = size_t(layout.width) * 3;
    for (int y = 0; y < layout.height; ++y)
        std::memcpy(image.scanLine(y), pixels.data() + size_t(y) * rowBytes, rowBytes);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return QByteArray();
    return png;
}

struct Template
{
    pq_targetInfo description;
    QByteArray picture;
};

// The template of one reference file; false with the reason when the file
// gives none.
bool makeTemplate(const QFileInfo &file, Template *out, QString *why)
{
    for (const char *name : kListedByColumns) {
        if (file.fileName() == QLatin1String(name)) {
            *why = QStringLiteral("its patches are listed down the columns");
            return false;
        }
    }
    const chart::FileRead read =
        chart::readBoundedFile(file.absoluteFilePath(), pq_targetInfo::MaxReferenceSize);
    if (!read.ok()) {
        *why = read.why;
        return false;
    }
    Parsed parsed(read.bytes);
    if (!parsed.ok) {
        *why = QStringLiteral("not readable CGATS: %1").arg(parsed.parser->lastErrorMessage());
        return false;
    }
    const VandrelithFile_Parser &parser = *parsed.parser;
    const QString nameColumn = parser.columnIndex(QStringLiteral("SAMPLE_LOC")) >= 0
                                   ? QStringLiteral("SAMPLE_LOC")
                                   : QStringLiteral("SAMPLE_ID");
    QStringList names;
    for (int set = 0; set < parser.numberOfSets(); ++set)
        names << parser.value(set, nameColumn).trimmed();
    Grid grid;
    if (!rowByRowGrid(names, &grid, why))
        return false;
    if (grid.columns > TARGET_IMAGE_MAX_SIDE || grid.rows > TARGET_IMAGE_MAX_SIDE) {
        *why = QStringLiteral("a grid of %1 x %2 is too large").arg(grid.columns).arg(grid.rows);
        return false;
    }

    const QString name = file.completeBaseName().replace(QLatin1Char('_'), QLatin1Char(' '));
    const QString reference = QString::fromUtf8(read.bytes);
    Target plain;
    if (!loadTarget(&plain, definitionText(name, names), reference, why))
        return false;
    QStringList controls;
    std::vector<std::array<unsigned char, 3>> rgb;
    if (!colours(plain, &controls, &rgb)) {
        *why = QStringLiteral("its colours cannot be shown");
        return false;
    }
    const QString definition = definitionText(name, names, controls, rgb);
    Target checked;
    checked.setRows(unsigned(grid.rows));
    checked.setColumns(unsigned(grid.columns));
    if (!loadTarget(&checked, definition, reference, why))
        return false;
    out->picture = picturePng(definition, grid);
    if (out->picture.isEmpty()) {
        *why = QStringLiteral("its picture cannot be rendered");
        return false;
    }

    pq_targetInfo &d = out->description;
    d.name = name;
    d.model = name;
    d.targetFullResFilePath = QStringLiteral("Targets/Pictures/%1.png").arg(file.completeBaseName());
    d.targetVendor = parser.keywordValue(QStringLiteral("MANUFACTURER"));
    d.setTargetFile(file.absoluteFilePath());
    // The template names the file; a job reads the reference from there.
    d.referenceData.clear();
    d.patches = names.size();
    d.pages = 1;
    d.rows = grid.rows;
    d.columns = grid.columns;
    d.targetDefinition = definition;
    return true;
}

bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    return platform::write_file_atomically(QFile::encodeName(path).toStdString(),
                                           reinterpret_cast<const uint8_t *>(bytes.constData()),
                                           size_t(bytes.size()));
}

}  // namespace

int pq_writeStarterTargetTemplates(const QString &referenceFolder)
{
    const QString templates = platform::templatesFolderPath();
    if (templates.isEmpty()) {
        qCWarning(lcTemplates) << "no templates folder: no target templates written";
        return 0;
    }
    const QDir targets(templates + QStringLiteral("/Targets"));
    if (!targets.entryList({QStringLiteral("*.xml")}, QDir::Files).isEmpty())
        return 0;
    const QFileInfoList references =
        QDir(referenceFolder)
            .entryInfoList({QStringLiteral("*.cie")}, QDir::Files | QDir::Readable, QDir::Name);
    if (references.isEmpty()) {
        qCWarning(lcTemplates).noquote()
            << "no chart reference files in" << referenceFolder << "- no target templates written";
        return 0;
    }
    const QString pictures = targets.filePath(QStringLiteral("Pictures"));
    if (!QDir().mkpath(pictures)) {
        qCWarning(lcTemplates).noquote() << "the folder" << pictures << "cannot be made";
        return 0;
    }
    int written = 0;
    for (const QFileInfo &file : references) {
        Template made;
        QString why;
        if (!makeTemplate(file, &made, &why)) {
            qCDebug(lcTemplates).noquote() << "no template for" << file.fileName() << "-" << why;
            continue;
        }
        const QString picture = templates + QLatin1Char('/') + made.description.targetFullResFilePath;
        const QString xmlPath = targets.filePath(file.completeBaseName() + QStringLiteral(".xml"));
        const QByteArray xml = QByteArrayLiteral("<?xml version='1.0' encoding='UTF-8'?>\n")
                               + made.description.makeExportXMLString(false).toUtf8();
        // The picture first, so that a written template never names a
        // missing one.
        if (!writeAtomically(picture, made.picture) || !writeAtomically(xmlPath, xml)) {
            QFile::remove(picture);
            qCWarning(lcTemplates).noquote() << "the target template" << xmlPath
                                             << "cannot be written";
            continue;
        }
        ++written;
    }
    return written;
}
