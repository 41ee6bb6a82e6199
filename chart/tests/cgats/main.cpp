// Runs the CGATS test classes in one executable.

#include <QCoreApplication>
#include <QTest>

#include <memory>

std::unique_ptr<QObject> makeScannerTests();
std::unique_ptr<QObject> makeParserTests();
std::unique_ptr<QObject> makeNormaliserTests();
std::unique_ptr<QObject> makeRealFileTests();
std::unique_ptr<QObject> makeMessageTests();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int failures = 0;
    for (auto make : {makeScannerTests, makeParserTests, makeNormaliserTests, makeRealFileTests,
                      makeMessageTests}) {
        std::unique_ptr<QObject> suite = make();
        failures += QTest::qExec(suite.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
