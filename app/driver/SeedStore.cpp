// Fills the data folders of a scratch home with job files and target
// templates, written by the program's own writers, for driven runs and
// benchmarks. It runs in the scratch home's environment (HOME and the XDG
// folders set as for the program), so the folders are the program's own.
//
//   pelto-seed-store [--jobs N] [--templates N] [--tour]
//
// --templates N writes N templates on the reference files of argyll-ref;
// --jobs N writes N one-target jobs on them; --tour writes the named jobs and
// templates that the page tour shows (markup characters, a non-Latin name, a
// disabled job, a two-target job, a job with custom information).

#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileWriter.h"
#include "jobs/pq_targetInfo.h"
#include "jobs/pq_templatesFolder.h"
#include "platform/program_folders.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QString kReferenceFolder = QStringLiteral("/usr/share/color/argyll/ref");

struct Chart {
    const char* name;
    const char* vendor;
    const char* reference;
    int columns;
    int rows;
};

// Charts whose reference file lists the patches row by row.
const Chart kCharts[] = {
    {"ColorChecker", "X-Rite", "ColorChecker.cie", 6, 4},
    {"QPcard 201", "QPcard", "QPcard_201.cie", 10, 3},
    {"SpyderChecker 24", "Datacolor", "SpyderChecker24.cie", 6, 4},
};

struct Reference {
    QString text;
    QStringList ids;
    QVector<QRgb> colours;
};

double srgbEncoded(double linear)
{
    linear = qBound(0.0, linear, 1.0);
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

// D50 XYZ (Y 0..100) to sRGB, adapted to D65 with the Bradford matrix.
QRgb xyzToRgb(double x, double y, double z)
{
    x /= 100.0;
    y /= 100.0;
    z /= 100.0;
    const double X = 0.9555766 * x - 0.0230393 * y + 0.0631636 * z;
    const double Y = -0.0282895 * x + 1.0099416 * y + 0.0210077 * z;
    const double Z = 0.0122982 * x - 0.0204830 * y + 1.3299098 * z;
    const double r = 3.2404542 * X - 1.5371385 * Y - 0.4985314 * Z;
    const double g = -0.9692660 * X + 1.8760108 * Y + 0.0415560 * Z;
    const double b = 0.0556434 * X - 0.2040259 * Y + 1.0572252 * Z;
    return qRgb(int(255 * srgbEncoded(r) + 0.5), int(255 * srgbEncoded(g) + 0.5),
                int(255 * srgbEncoded(b) + 0.5));
}

QRgb labToRgb(double l, double a, double b)
{
    const double fy = (l + 16.0) / 116.0;
    auto inverse = [](double t) { return t > 6.0 / 29.0 ? t * t * t : 3.0 * (6.0 / 29.0) * (6.0 / 29.0) * (t - 4.0 / 29.0); };
    return xyzToRgb(96.42 * inverse(fy + a / 500.0), 100.0 * inverse(fy), 82.51 * inverse(fy - b / 200.0));
}

// The sample names and display colours of a CGATS reference file.
Reference readReference(const QString& fileName)
{
    Reference reference;
    QFile file(kReferenceFolder + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::ReadOnly))
        return reference;
    reference.text = QString::fromLatin1(file.readAll());
    QStringList fields;
    bool inFormat = false;
    bool inData = false;
    const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString& raw : reference.text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line == QLatin1String("BEGIN_DATA_FORMAT")) {
            inFormat = true;
        } else if (line == QLatin1String("END_DATA_FORMAT")) {
            inFormat = false;
        } else if (inFormat) {
            fields += line.split(blanks, Qt::SkipEmptyParts);
        } else if (line == QLatin1String("BEGIN_DATA")) {
            inData = true;
        } else if (line == QLatin1String("END_DATA")) {
            break;
        } else if (inData && !line.isEmpty()) {
            const QStringList values = line.split(blanks, Qt::SkipEmptyParts);
            if (values.size() < fields.size())
                continue;
            auto value = [&](const char* field) {
                const int at = fields.indexOf(QLatin1String(field));
                return at < 0 ? qQNaN() : values.at(at).toDouble();
            };
            reference.ids << values.first();
            if (!std::isnan(value("LAB_L")))
                reference.colours << labToRgb(value("LAB_L"), value("LAB_A"), value("LAB_B"));
            else
                reference.colours << xyzToRgb(value("XYZ_X"), value("XYZ_Y"), value("XYZ_Z"));
        }
    }
    return reference;
}

// A picture of the chart: its patches in their reference colours on black.
bool writePicture(const QString& path, const Reference& reference, int columns, int rows)
{
    const int cell = 60;
    const int gap = 8;
    QImage image(columns * cell + gap, rows * cell + gap, QImage::Format_RGB32);
    image.fill(qRgb(24, 24, 24));
    for (int i = 0; i < reference.colours.size() && i < columns * rows; ++i) {
        const int x = (i % columns) * cell + gap;
        const int y = (i / columns) * cell + gap;
        for (int py = y; py < y + cell - gap; ++py) {
            QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(py));
            for (int px = x; px < x + cell - gap; ++px)
                line[px] = reference.colours.at(i);
        }
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path, "PNG");
}

QString definitionOf(const Reference& reference)
{
    QString text = QStringLiteral("IS12642\nNUMBER_OF_FIELDS 2\nBEGIN_DATA_FORMAT\nSAMPLE_ID CONTROL\n"
                                  "END_DATA_FORMAT\nNUMBER_OF_SETS %1\nBEGIN_DATA\n")
                       .arg(reference.ids.size());
    for (const QString& id : reference.ids)
        text += id + QStringLiteral(" N\n");
    return text + QStringLiteral("END_DATA\n");
}

// A template description on one chart, its picture in Targets/.
std::unique_ptr<pq_targetInfo> makeTemplate(const Chart& chart, const QString& name)
{
    const Reference reference = readReference(QString::fromLatin1(chart.reference));
    if (reference.ids.size() != chart.columns * chart.rows)
        return nullptr;
    auto description = std::make_unique<pq_targetInfo>();
    description->name = name;
    description->model = name;
    description->targetVendor = QString::fromLatin1(chart.vendor);
    description->rows = chart.rows;
    description->columns = chart.columns;
    description->patches = chart.rows * chart.columns;
    description->setTargetFile(kReferenceFolder + QLatin1Char('/') + QString::fromLatin1(chart.reference));
    description->targetDefinition = definitionOf(reference);
    description->referenceData = reference.text;
    description->targetFullResFilePath = QStringLiteral("Targets/") + name + QStringLiteral(".png");
    if (!writePicture(pq_templatesFolder() + QLatin1Char('/') + description->targetFullResFilePath, reference,
                      chart.columns, chart.rows))
        return nullptr;
    return description;
}

bool writeTemplate(const pq_targetInfo& description)
{
    const QString folder = pq_templatesFolder() + QStringLiteral("/Targets");
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + description.name + QStringLiteral(".xml"));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(("<?xml version='1.0' encoding='UTF-8'?>\n" + description.makeExportXMLString(true)).toUtf8());
    return file.flush();
}

struct JobSpec {
    QString name;
    std::vector<const pq_targetInfo*> targets;
    bool disabled = false;
    QString creator;
    QString copyright;
};

bool writeJob(const JobSpec& spec)
{
    pq_Job job{QString(), QString()};
    job.setJobId(spec.name);
    job.setJobName(spec.name);
    job.setInitiallyDisabled(spec.disabled);
    for (const pq_targetInfo* target : spec.targets) {
        auto* copy = new pq_targetInfo;
        copy->assign(*target);
        job.addTargetInfo(copy);
    }
    if (!spec.creator.isEmpty())
        job.jobInfo().setItem(QStringLiteral("CREATOR"), spec.creator);
    if (!spec.copyright.isEmpty())
        job.jobInfo().setItem(QStringLiteral("COPYRIGHT"), spec.copyright);
    const pq_JobSaveResult saved = pq_JobFileWriter::save(job, platform::jobsFolderPath());
    if (!saved.ok)
        fprintf(stderr, "cannot write the job \"%s\": %s\n", qPrintable(spec.name), qPrintable(saved.message));
    return saved.ok;
}

int intOption(const QStringList& arguments, const QString& name)
{
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? qMax(0, arguments.at(at + 1).toInt()) : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    // The program's version; its major number names the data folder.
    QCoreApplication::setApplicationVersion(QStringLiteral("5.1.1"));
    const QStringList arguments = QCoreApplication::arguments();
    const int jobCount = intOption(arguments, QStringLiteral("--jobs"));
    const int templateCount = intOption(arguments, QStringLiteral("--templates"));
    const bool tour = arguments.contains(QStringLiteral("--tour"));
    if (platform::jobsFolderPath().isEmpty()) {
        fprintf(stderr, "no documents folder\n");
        return 1;
    }

    std::vector<std::unique_ptr<pq_targetInfo>> templates;
    auto addTemplate = [&](const Chart& chart, const QString& name) {
        std::unique_ptr<pq_targetInfo> description = makeTemplate(chart, name);
        if (!description || !writeTemplate(*description)) {
            fprintf(stderr, "cannot write the template \"%s\" (is argyll-ref installed?)\n", qPrintable(name));
            return false;
        }
        templates.push_back(std::move(description));
        return true;
    };
    if (tour) {
        for (const Chart& chart : kCharts) {
            if (!addTemplate(chart, QString::fromLatin1(chart.name)))
                return 1;
        }
    }
    for (int i = 0; i < templateCount; ++i) {
        const Chart& chart = kCharts[i % std::size(kCharts)];
        if (!addTemplate(chart, QStringLiteral("%1 %2").arg(QLatin1String(chart.name)).arg(i + 1, 2, 10, QChar('0'))))
            return 1;
    }
    if (templates.empty() && (jobCount > 0 || tour)) {
        fprintf(stderr, "jobs need a template\n");
        return 1;
    }

    std::vector<JobSpec> jobs;
    if (tour) {
        const pq_targetInfo* first = templates.at(0).get();
        const pq_targetInfo* second = templates.at(1).get();
        const pq_targetInfo* third = templates.at(2).get();
        jobs.push_back({QStringLiteral("Studio Daylight"), {first}, false,
                        QStringLiteral("A. Smith <studio>"), QStringLiteral("© 2026 \"Studio\" & Co")});
        jobs.push_back({QStringLiteral("Smith & Sons"), {second}, false, {}, {}});
        jobs.push_back({QStringLiteral("Копия Δ музей"), {third}, false, {}, {}});
        jobs.push_back({QStringLiteral("Old Scanner (off)"), {first}, true, {}, {}});
        jobs.push_back({QStringLiteral("Museum 'Multi' 2"), {first, second}, false, {}, {}});
    }
    for (int i = 0; i < jobCount; ++i)
        jobs.push_back({QStringLiteral("Job %1").arg(i + 1, 4, 10, QChar('0')),
                        {templates.at(size_t(i) % templates.size()).get()}, false, {}, {}});
    for (const JobSpec& spec : jobs) {
        if (!writeJob(spec))
            return 1;
    }
    return 0;
}
