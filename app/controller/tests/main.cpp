// Runs the controller's test classes in one program; VP_TEST_CLASS names the
// one class to run (each has a CTest entry of its own), VP_TEST_CLASSES the
// classes that have an entry, so that a class without one fails every run.
#include <QApplication>
#include <QTest>

#include <memory>

std::unique_ptr<QObject> makeControllerTest();
std::unique_ptr<QObject> makeMetaObjectTest();
std::unique_ptr<QObject> makeShellTest();
std::unique_ptr<QObject> makeTargetTemplatesTest();
std::unique_ptr<QObject> makeJobStateTest();

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Vandrelith");
    QCoreApplication::setApplicationName("pelto5");
    QCoreApplication::setApplicationVersion("5.1.1");
    const QByteArray only = qgetenv("VP_TEST_CLASS");
    const QList<QByteArray> listed = qgetenv("VP_TEST_CLASSES").split(',');
    int failures = 0;
    int run = 0;
    for (auto make : {makeControllerTest, makeMetaObjectTest, makeShellTest,
                       makeTargetTemplatesTest, makeJobStateTest}) {
        std::unique_ptr<QObject> test = make();
        const QByteArray name = test->metaObject()->className();
        if (!only.isEmpty() && !listed.contains(name)) {
            qCritical("the test class %s has no CTest entry", name.constData());
            return 1;
        }
        if (!only.isEmpty() && only != name)
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
