// Runs the QML tests of the screens over a fake controller.
#include "support/FakeController.h"

#include "FakeItems.h"
#include "profile_pages.h"

#include <QCoreApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

class Setup : public QObject
{
    Q_OBJECT
public slots:
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        // The file dialogs keep their last folder in the application's settings.
        QCoreApplication::setOrganizationName("Vandrelith");
        QCoreApplication::setApplicationName("pelto-qml-tests");
        pq_initProfilePages();
        registerFakeItems();
        auto* controller = new FakeController(engine);
        controller->install(engine);
        engine->rootContext()->setContextProperty("dropHelper", new DropHelper(engine));
    }
};

QUICK_TEST_MAIN_WITH_SETUP(qml_screens, Setup)

#include "tst_qml_screens.moc"
