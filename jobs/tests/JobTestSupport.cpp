#include "JobTestSupport.h"

#include "jobs/pq_targetInfo.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>

std::vector<SuiteFactory> &jobTestSuites()
{
    static std::vector<SuiteFactory> suites;
    return suites;
}

namespace jobtest {

QString documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString templatesFolder()
{
    return documentsFolder() + "/Vandrelith Jobs/Jobs pelto 5/Templates";
}

QString jobsFolder()
{
    return documentsFolder() + "/Vandrelith Jobs/Jobs pelto 5/Jobs";
}

QString filmCurvesFolder()
{
    return templatesFolder() + "/Film Curves";
}

QString tempFolder()
{
    return QString::fromLocal8Bit(qgetenv("XDG_CACHE_HOME")) + "/Vandrelith";
}

QString freshFolder(const QString &name)
{
    const QString path = documentsFolder() + "/scratch/" + name;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

QString argyllReference(const QString &fileName)
{
    return "/usr/share/color/argyll/ref/" + fileName;
}

QString colorCheckerDefinition()
{
    return QString::fromUtf8(readFile(JOBS_FIXTURE_DIR "/ColorChecker_definition.txt"));
}

pq_targetInfo *colorCheckerTarget(const QString &name)
{
    const QString references = templatesFolder() + "/References";
    QDir().mkpath(references);
    const QString reference = references + "/ColorChecker.cie";
    if (!QFileInfo::exists(reference))
        QFile::copy(argyllReference("ColorChecker.cie"), reference);
    const QString pictures = templatesFolder() + "/Pictures";
    QDir().mkpath(pictures);
    const QString picture = pictures + "/ColorChecker.png";
    if (!QFileInfo::exists(picture)) {
        QImage image(600, 400, QImage::Format_RGB32);
        image.fill(QColor(90, 120, 150));
        image.save(picture);
    }
    auto *target = new pq_targetInfo;
    target->name = name;
    target->model = name;
    target->targetVendor = "X-Rite";
    target->targetFullResFilePath = "Pictures/ColorChecker.png";
    target->setTargetFile(reference);
    target->patches = 24;
    target->rows = 4;
    target->columns = 6;
    target->targetDefinition = colorCheckerDefinition();
    return target;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace jobtest
