// Runs every test class of the target area in one executable.
#include "TestSuites.h"

#include <QGuiApplication>
#include <QTest>

int main(int argc, char** argv)
{
    // The tests draw nothing; the minimal platform needs no display and, unlike
    // the offscreen one, frees its screen at exit.
    qputenv("QT_QPA_PLATFORM", "minimal");
    QGuiApplication app(argc, argv);
    int failures = 0;
    for (auto& make : targetTestSuites()) {
        std::unique_ptr<QObject> suite = make();
        failures += QTest::qExec(suite.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
