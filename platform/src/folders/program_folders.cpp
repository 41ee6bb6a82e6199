#include "platform/program_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

const QString kOrganisation = QStringLiteral("Vandrelith");
const QString kProduct = QStringLiteral("pelto");

QString firstLocation(QStandardPaths::StandardLocation location)
{
    const QStringList all = QStandardPaths::standardLocations(location);
    return all.isEmpty() ? QString() : all.first();
}

}  // namespace

ProgramFolders composeProgramFolders(const FolderInputs &in)
{
    ProgramFolders f;
    if (!in.programFolder.isEmpty()) {
        f.resources = in.programFolder + QStringLiteral("/Resources");
        f.pdfManuals = in.programFolder + QStringLiteral("/PDF Manuals");
    }
    if (!in.cacheFolder.isEmpty())
        f.temp = in.cacheFolder + QLatin1Char('/') + kOrganisation;
    if (in.documentsFolder.isEmpty())
        return f;
    const QString major = in.version.split(QLatin1Char('.')).first();
    f.jobsRoot = in.documentsFolder + QLatin1Char('/') + kOrganisation + QStringLiteral(" Jobs");
    f.dataRoot = f.jobsRoot + QStringLiteral("/Jobs ") + kProduct + QLatin1Char(' ') + major;
    f.jobs = f.dataRoot + QStringLiteral("/Jobs");
    f.templates = f.dataRoot + QStringLiteral("/Templates");
    f.templatesUrl = QUrl::fromLocalFile(f.templates + QLatin1Char('/')).toString();
    f.filmCurves = f.templates + QStringLiteral("/Film Curves");
    f.illuminants = f.templates + QStringLiteral("/Illuminants");
    f.sets = f.templates + QStringLiteral("/Sets");
    return f;
}

FolderInputs currentFolderInputs()
{
    FolderInputs in;
    // On Linux this is XDG_DOCUMENTS_DIR of user-dirs.dirs, else ~/Documents.
    in.documentsFolder = firstLocation(QStandardPaths::DocumentsLocation);
    if (!in.documentsFolder.isEmpty())
        in.documentsFolder = QFileInfo(in.documentsFolder).absoluteFilePath();
    in.cacheFolder = firstLocation(QStandardPaths::GenericCacheLocation);
    in.version = QCoreApplication::applicationVersion();
    if (QCoreApplication::instance())
        in.programFolder = QCoreApplication::applicationDirPath();
    return in;
}

static ProgramFolders current()
{
    return composeProgramFolders(currentFolderInputs());
}

QString resourcesFolderPath() { return current().resources; }
QString homeFolderPath() { return firstLocation(QStandardPaths::HomeLocation); }
QString pdfManualsFolderPath() { return current().pdfManuals; }
QString publicDocumentsPath() { return currentFolderInputs().documentsFolder; }
QString tempFolderPath() { return current().temp; }
QString jobsRootPath() { return current().jobsRoot; }
QString dataRootPath() { return current().dataRoot; }
QString jobsFolderPath() { return current().jobs; }
QString templatesFolderPath() { return current().templates; }
QString templatesFolderUrl() { return current().templatesUrl; }
QString filmCurvesFolderPath() { return current().filmCurves; }
QString illuminantsFolderPath() { return current().illuminants; }
QString setsFolderPath() { return current().sets; }

bool makePrivateFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
        | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
        | QFileDevice::ExeOther;
    QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        if (!QDir().mkpath(info.absolutePath()))
            return false;
        // Made with the owner's rights alone; the umask can only take some away.
        if (::mkdir(QFile::encodeName(path).constData(), S_IRWXU) != 0 && errno != EEXIST)
            return false;
        info.refresh();
    }
    if (info.isSymLink() || !info.isDir())
        return false;
    // A folder someone else owns is not ours to change or to use.
    if (info.ownerId() != ::getuid())
        return false;
    const QFileDevice::Permissions permissions = info.permissions();
    if ((permissions & others) || (permissions & ownerOnly) != ownerOnly)
        return QFile::setPermissions(path, ownerOnly);
    return true;
}

}  // namespace platform
