// Qt Quick Test runner of the profiling pages over the stand-ins.
#include "TestHost.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QtQuickTest>

class Setup : public QObject
{
    Q_OBJECT

public slots:
    // The file dialog keeps its settings; they go to the test folders.
    void applicationAvailable()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Vandrelith"));
        QCoreApplication::setApplicationName(QStringLiteral("pelto profile page tests"));
    }

    void qmlEngineAvailable(QQmlEngine* engine)
    {
        host = new TestHost(engine);
        host->install(engine);
    }

private:
    TestHost* host = nullptr;
};

QUICK_TEST_MAIN_WITH_SETUP(profile_pages, Setup)

#include "quick_main.moc"
