// Runs the colour-science test classes in one executable.

#include <QCoreApplication>
#include <QTest>

#include <memory>

std::unique_ptr<QObject> makeSpectrumTests();
std::unique_ptr<QObject> makeContextTests();
std::unique_ptr<QObject> makeColourTests();
std::unique_ptr<QObject> makeIlluminantTests();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int failures = 0;
    for (auto make : {makeSpectrumTests, makeContextTests, makeColourTests, makeIlluminantTests}) {
        std::unique_ptr<QObject> suite = make();
        failures += QTest::qExec(suite.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
