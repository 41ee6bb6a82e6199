// Runs the controller's test classes in one program.
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
    int failures = 0;
    for (auto make : {makeControllerTest, makeMetaObjectTest, makeShellTest,
                       makeTargetTemplatesTest, makeJobStateTest}) {
        std::unique_ptr<QObject> test = make();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
