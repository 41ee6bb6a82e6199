#include "platform/program_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <sys/stat.h>

using platform::composeProgramFolders;
using platform::FolderInputs;
using platform::ProgramFolders;

class TestProgramFolders : public QObject
{
    Q_OBJECT

private slots:
    void composition_data();
    void composition();
    void templatesUrlReadsBackToThePath_data();
    void templatesUrlReadsBackToThePath();
    void documentsFolderFromUserDirs();
    void privateFolder();
};

void TestProgramFolders::composition_data()
{
    QTest::addColumn<QString>("documents");
    QTest::addColumn<QString>("cache");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("dataRoot");
    QTest::addColumn<QString>("temp");
    QTest::addColumn<QString>("resources");

    const QString root = "/home/ann/Documents/Vandrelith Jobs/Jobs pelto 5";
    QTest::addRow("usual") << "/home/ann/Documents" << "/home/ann/.cache" << "5.1.1"
                           << "/opt/pelto" << root << "/home/ann/.cache/Vandrelith"
                           << "/opt/pelto/Resources";
    QTest::addRow("major only") << "/home/ann/Documents" << "/c" << "5" << "/p" << root
                                << "/c/Vandrelith" << "/p/Resources";
    QTest::addRow("two-digit major") << "/d" << "/c" << "12.0" << "/p"
                                     << "/d/Vandrelith Jobs/Jobs pelto 12" << "/c/Vandrelith"
                                     << "/p/Resources";
    QTest::addRow("empty version") << "/d" << "/c" << "" << "/p"
                                   << "/d/Vandrelith Jobs/Jobs pelto " << "/c/Vandrelith"
                                   << "/p/Resources";
    QTest::addRow("leading dot") << "/d" << "/c" << ".5" << "/p"
                                 << "/d/Vandrelith Jobs/Jobs pelto " << "/c/Vandrelith"
                                 << "/p/Resources";
    QTest::addRow("localised documents") << QString::fromUtf8("/home/åsa/Dokument") << "/c"
                                         << "5.0" << "/p"
                                         << QString::fromUtf8("/home/åsa/Dokument/Vandrelith "
                                                              "Jobs/Jobs pelto 5")
                                         << "/c/Vandrelith" << "/p/Resources";
    QTest::addRow("no documents") << "" << "/c" << "5" << "/p" << "" << "/c/Vandrelith"
                                  << "/p/Resources";
    QTest::addRow("no cache") << "/d" << "" << "5" << "/p"
                              << "/d/Vandrelith Jobs/Jobs pelto 5" << "" << "/p/Resources";
    QTest::addRow("no program folder") << "/d" << "/c" << "5" << ""
                                       << "/d/Vandrelith Jobs/Jobs pelto 5" << "/c/Vandrelith"
                                       << "";
}

void TestProgramFolders::composition()
{
    QFETCH(QString, documents);
    QFETCH(QString, cache);
    QFETCH(QString, version);
    QFETCH(QString, program);
    QFETCH(QString, dataRoot);
    QFETCH(QString, temp);
    QFETCH(QString, resources);

    const ProgramFolders f = composeProgramFolders({documents, cache, version, program});
    QCOMPARE(f.dataRoot, dataRoot);
    QCOMPARE(f.temp, temp);
    QCOMPARE(f.resources, resources);
    QCOMPARE(f.pdfManuals, program.isEmpty() ? QString() : program + "/PDF Manuals");
    if (dataRoot.isEmpty()) {
        QVERIFY(f.jobsRoot.isEmpty());
        QVERIFY(f.jobs.isEmpty());
        QVERIFY(f.templates.isEmpty());
        QVERIFY(f.templatesUrl.isEmpty());
        QVERIFY(f.filmCurves.isEmpty());
        QVERIFY(f.illuminants.isEmpty());
        QVERIFY(f.sets.isEmpty());
        return;
    }
    QCOMPARE(f.jobsRoot, documents + "/Vandrelith Jobs");
    QCOMPARE(f.jobs, dataRoot + "/Jobs");
    QCOMPARE(f.templates, dataRoot + "/Templates");
    QCOMPARE(f.filmCurves, dataRoot + "/Templates/Film Curves");
    QCOMPARE(f.illuminants, dataRoot + "/Templates/Illuminants");
    QCOMPARE(f.sets, dataRoot + "/Templates/Sets");
    QVERIFY(f.templatesUrl.startsWith("file:///"));
    QVERIFY(!f.templatesUrl.startsWith("file:////"));
    QVERIFY(f.templatesUrl.endsWith("/"));
}

void TestProgramFolders::templatesUrlReadsBackToThePath_data()
{
    QTest::addColumn<QString>("documents");
    QTest::addRow("blanks") << "/home/a b/Documents";
    QTest::addRow("hash") << "/home/a#b/Documents";
    QTest::addRow("percent") << "/home/a%20b/Documents";
    QTest::addRow("question mark") << "/home/a?b/Documents";
    QTest::addRow("non-ASCII") << QString::fromUtf8("/home/jürgen/Dokumente");
}

void TestProgramFolders::templatesUrlReadsBackToThePath()
{
    QFETCH(QString, documents);
    const ProgramFolders f = composeProgramFolders({documents, "/c", "5", "/p"});
    const QUrl url(f.templatesUrl);
    QVERIFY(url.isLocalFile());
    QCOMPARE(url.toLocalFile(), f.templates + "/");
}

void TestProgramFolders::documentsFolderFromUserDirs()
{
    QTemporaryDir config;
    QTemporaryDir documents;
    QVERIFY(config.isValid() && documents.isValid());
    QFile dirs(config.filePath("user-dirs.dirs"));
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DOCUMENTS_DIR=\"" + documents.path().toUtf8() + "\"\n");
    dirs.close();

    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("XDG_CACHE_HOME", config.path().toUtf8() + "/cache");
    QCoreApplication::setApplicationVersion("5.1.1");

    QCOMPARE(platform::publicDocumentsPath(), documents.path());
    QCOMPARE(platform::jobsFolderPath(),
             documents.path() + "/Vandrelith Jobs/Jobs pelto 5/Jobs");
    QCOMPARE(platform::setsFolderPath(),
             documents.path() + "/Vandrelith Jobs/Jobs pelto 5/Templates/Sets");
    QCOMPARE(platform::tempFolderPath(), config.path() + "/cache/Vandrelith");
    // The folder functions create nothing.
    QVERIFY(!QFileInfo::exists(documents.path() + "/Vandrelith Jobs"));
    QVERIFY(!QFileInfo::exists(config.path() + "/cache"));

    qputenv("XDG_CONFIG_HOME", oldConfig);
    qputenv("XDG_CACHE_HOME", oldCache);
}

void TestProgramFolders::privateFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("cache/Vandrelith");
    const QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
        | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
        | QFileDevice::ExeOther;
    // Made private whatever the umask would allow.
    const mode_t umaskBefore = ::umask(0);
    const bool made = platform::makePrivateFolder(path);
    ::umask(umaskBefore);
    QVERIFY(made);
    QCOMPARE(QFileInfo(path).permissions() & (ownerOnly | others), ownerOnly);
    // An existing folder of this user with wider rights is tightened.
    const QList<QFileDevice::Permissions> wider = {
        ownerOnly | QFileDevice::WriteOther,
        ownerOnly | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
            | QFileDevice::ExeOther,
        QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther};
    for (const QFileDevice::Permissions permissions : wider) {
        QVERIFY(QFile::setPermissions(path, permissions));
        QVERIFY(platform::makePrivateFolder(path));
        QCOMPARE(QFileInfo(path).permissions() & (ownerOnly | others), ownerOnly);
    }
    // A planted link is refused.
    QVERIFY(QFile::link(dir.path(), dir.filePath("link")));
    QVERIFY(!platform::makePrivateFolder(dir.filePath("link")));
    // So is a dangling one, and nothing is made where it points.
    QVERIFY(QFile::link(dir.filePath("nowhere"), dir.filePath("dangling")));
    QVERIFY(!platform::makePrivateFolder(dir.filePath("dangling")));
    QVERIFY(!QFileInfo::exists(dir.filePath("nowhere")));
    // A file in the way is refused.
    QFile file(dir.filePath("file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(!platform::makePrivateFolder(file.fileName()));
    QVERIFY(!platform::makePrivateFolder(QString()));
}

QTEST_GUILESS_MAIN(TestProgramFolders)
#include "test_program_folders.moc"
