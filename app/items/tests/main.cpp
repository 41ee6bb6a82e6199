// Runs the items' test classes in one program.
#include <QGuiApplication>
#include <QTest>

#include <memory>

std::unique_ptr<QObject> makeItemsTest();

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Vandrelith");
    QCoreApplication::setApplicationName("pelto5-items-test");
    std::unique_ptr<QObject> test = makeItemsTest();
    return QTest::qExec(test.get(), argc, argv) == 0 ? 0 : 1;
}
