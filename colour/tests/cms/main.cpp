#include "cms_tests.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

int main(int argc, char **argv)
{
    // Folders of the user under a temporary home.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    QCoreApplication app(argc, argv);
    int status = 0;
    for (auto make : {makeLibraryTest, makeProfileTest, makeMatchTest}) {
        std::unique_ptr<QObject> test(make());
        status |= QTest::qExec(test.get(), argc, argv);
    }
    return status;
}
