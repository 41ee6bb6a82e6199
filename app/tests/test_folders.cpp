// The program's folders as the application composes them, over homes and
// freedesktop user directories of many spellings.

#include "AppTestSupport.h"
#include "app/pq_Application.h"
#include "platform/program_folders.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtTest>

namespace {

// Every path below root, to show that nothing was created.
QStringList treeOf(const QString& root)
{
    QStringList paths;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    paths.sort();
    return paths;
}

}  // namespace

class FoldersTest : public QObject {
    Q_OBJECT

private slots:
    void dataFolders_data();
    void dataFolders();
};

void FoldersTest::dataFolders_data()
{
    QTest::addColumn<QString>("home");       // below the test's root
    QTest::addColumn<QString>("userDirs");   // XDG_DOCUMENTS_DIR's value; none when empty
    QTest::addColumn<QString>("documents");  // below the test's root

    QTest::addRow("no user directories") << "ann" << "" << "ann/Documents";
    QTest::addRow("documents under another name") << "bo" << "$HOME/Dokumente" << "bo/Dokumente";
    QTest::addRow("blanks, hash and percent")
        << "c d#1" << "$HOME/My Documents #2 100%" << "c d#1/My Documents #2 100%";
    QTest::addRow("non-ASCII letters")
        << QString::fromUtf8("jürgen") << QString::fromUtf8("$HOME/Документы")
        << QString::fromUtf8("jürgen/Документы");
    QTest::addRow("outside home") << "eve" << "<root>/shared docs" << "shared docs";
}

void FoldersTest::dataFolders()
{
    QFETCH(QString, home);
    QFETCH(QString, userDirs);
    QFETCH(QString, documents);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString homePath = root.filePath(home);
    const QString configPath = homePath + "/.config";
    const QString cachePath = root.filePath("cache");
    QVERIFY(QDir().mkpath(configPath));
    if (!userDirs.isEmpty()) {
        QFile dirs(configPath + "/user-dirs.dirs");
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        const QString value = QString(userDirs).replace("<root>", root.path());
        dirs.write("# written by the test\nXDG_DOCUMENTS_DIR=\"" + value.toUtf8() + "\"\n");
    }
    qputenv("HOME", QFile::encodeName(homePath));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configPath));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cachePath));
    const QStringList before = treeOf(root.path());

    const QString documentsPath = root.filePath(documents);
    const QString dataRoot = documentsPath + "/Vandrelith Jobs/Jobs pelto 5";
    QCOMPARE(platform::homeFolderPath(), homePath);
    QCOMPARE(platform::publicDocumentsPath(), documentsPath);
    QCOMPARE(platform::jobsRootPath(), documentsPath + "/Vandrelith Jobs");
    QCOMPARE(platform::dataRootPath(), dataRoot);
    QCOMPARE(platform::jobsFolderPath(), dataRoot + "/Jobs");
    QCOMPARE(platform::templatesFolderPath(), dataRoot + "/Templates");
    QCOMPARE(platform::filmCurvesFolderPath(), dataRoot + "/Templates/Film Curves");
    QCOMPARE(platform::illuminantsFolderPath(), dataRoot + "/Templates/Illuminants");
    QCOMPARE(platform::setsFolderPath(), dataRoot + "/Templates/Sets");
    const QUrl templates(platform::templatesFolderUrl());
    QVERIFY(templates.isValid());
    QCOMPARE(templates.toLocalFile(), dataRoot + "/Templates/");
    QCOMPARE(platform::tempFolderPath(), cachePath + "/Vandrelith");
    QCOMPARE(platform::resourcesFolderPath(), QCoreApplication::applicationDirPath() + "/Resources");
    QCOMPARE(platform::pdfManualsFolderPath(), QCoreApplication::applicationDirPath() + "/PDF Manuals");

    QCOMPARE(treeOf(root.path()), before);
}

int main(int argc, char** argv)
{
    QTemporaryDir home;
    usePrivateHome(home);
    int appArgc = 1;
    pq_Application application(appArgc, argv);
    FoldersTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_folders.moc"
