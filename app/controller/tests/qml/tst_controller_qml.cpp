// Runs the QML test cases over a real controller on a scratch data folder,
// with the context properties the program's start hands to its QML engine.
#include "ControllerTestSupport.h"
#include "controller/peltoQt.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileWriter.h"

#include <QCoreApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QUrl>
#include <QtQuickTest>

#include <memory>

class Setup : public QObject {
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        QCoreApplication::setOrganizationName("Vandrelith");
        QCoreApplication::setApplicationName("pelto5");
        QCoreApplication::setApplicationVersion("5.1.1");
        m_home = std::make_unique<ScratchHome>();
        m_home->writeJob("Smith & Sons");
        m_home->writeJob("Plain");
        m_home->writeJob("Three targets", false, 3);
        const QString shots = m_home->writeShots();
        m_home->writeSet("A&B", "<Set>\n</Set>\n");
        m_controller = std::make_unique<peltoQt>();
        m_controller->init(QCoreApplication::applicationFilePath());
        QQmlContext* context = engine->rootContext();
        m_controller->publishTo(context);
        context->setContextProperty("shotsFolder", QUrl::fromLocalFile(shots).toString());
    }

    void cleanupTestCase()
    {
        m_controller.reset();
        m_home.reset();
    }

private:
    std::unique_ptr<ScratchHome> m_home;
    std::unique_ptr<peltoQt> m_controller;
};

QUICK_TEST_MAIN_WITH_SETUP(controller_qml, Setup)

#include "tst_controller_qml.moc"
