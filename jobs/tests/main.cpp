// Runs every jobs test class in one executable, with a documents folder,
// cache and data folder of its own.
#include "JobTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const QString config = home.filePath("config");
    QDir().mkpath(config);
    QDir().mkpath(home.filePath("Documents"));
    QFile dirs(config + "/user-dirs.dirs");
    if (!dirs.open(QIODevice::WriteOnly))
        return 1;
    dirs.write("XDG_DOCUMENTS_DIR=\"" + home.filePath("Documents").toUtf8() + "\"\n");
    dirs.close();
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    qputenv("XDG_CACHE_HOME", home.filePath("cache").toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    // Jobs hold pixmaps but draw nothing; the minimal platform needs no
    // display and, unlike the offscreen one, frees its screen at exit.
    qputenv("QT_QPA_PLATFORM", "minimal");

    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationVersion("5.1.1");
    int failures = 0;
    for (auto &make : jobTestSuites()) {
        std::unique_ptr<QObject> suite = make();
        failures += QTest::qExec(suite.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
