// Runs the controller's test classes in one program; VP_TEST_CLASS names the
// one class to run (each has a CTest entry of its own).
#include <QApplication>
#include <QTest>

#include <memory>

std::unique_ptr<QObject> makeControllerTest();
std::unique_ptr<QObject> makeMetaObjectTest();
std::unique_ptr<QObject> makeShellTest();
std::unique_ptr<QObject> makeTargetTemplatesTest();

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Vandrelith");
    QCoreApplication::setApplicationName("pelto5");
    QCoreApplication::setApplicationVersion("5.1.1");
    const QByteArray only = qgetenv("VP_TEST_CLASS");
    int failures = 0;
    int run = 0;
    for (auto make : {makeControllerTest, makeMetaObjectTest, makeShellTest,
                       makeTargetTemplatesTest}) {
        std::unique_ptr<QObject> test = make();
        if (!only.isEmpty() && only != test->metaObject()->className())
            continue;
        ++run;
        failures += QTest::qExec(test.get(), argc, argv);
    }
    if (run == 0) {
        qCritical("no test class is named %s", only.constData());
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
