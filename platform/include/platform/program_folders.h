// The program's folders: resources and manuals beside the program, a private
// temporary folder, and the data folders (jobs, templates, film curves,
// illuminants, sets) in the user's documents folder. Every path is composed by
// one pure function; the folder functions create nothing.
#pragma once

#include <QString>

namespace platform {

// What the folders are composed from.
struct FolderInputs
{
    QString documentsFolder;  // the user's documents folder
    QString cacheFolder;      // the user's cache folder ($XDG_CACHE_HOME)
    QString version;          // the program version, "5.1.1"
    QString programFolder;    // the folder of the executable
};

struct ProgramFolders
{
    QString resources;
    QString pdfManuals;
    QString temp;
    QString jobsRoot;
    QString dataRoot;
    QString jobs;
    QString templates;
    QString templatesUrl;
    QString filmCurves;
    QString illuminants;
    QString sets;
};

// Composes every folder from its inputs. An empty documents folder gives empty
// data folders, an empty cache folder an empty temporary folder, an empty
// program folder empty resource folders.
ProgramFolders composeProgramFolders(const FolderInputs &inputs);

// The inputs of this process: the documents folder of the freedesktop user
// directories (~/Documents when unset), the cache folder, the application's
// version and folder.
FolderInputs currentFolderInputs();

QString resourcesFolderPath();
// The first of the platform's home locations; empty when there is none.
QString homeFolderPath();
QString pdfManualsFolderPath();
// The user's documents folder.
QString publicDocumentsPath();
// A folder only this user can write, kept between sessions.
QString tempFolderPath();
QString jobsRootPath();
QString dataRootPath();
QString jobsFolderPath();
QString templatesFolderPath();
// The templates folder as a file URL, ending in "/".
QString templatesFolderUrl();
QString filmCurvesFolderPath();
QString illuminantsFolderPath();
QString setsFolderPath();

// Creates the folder with its parents and makes it readable, writable and
// searchable by its owner only (0700); an existing folder of this user with
// wider rights is tightened. False when it cannot be made, is a link or no
// folder, or belongs to someone else (which is then left as it is).
bool makePrivateFolder(const QString &path);

}  // namespace platform
