// Qt Quick Test runner of the profiling pages over the stand-ins.
#include "TestHost.h"

#include <QQmlEngine>
#include <QtQuickTest>

class Setup : public QObject
{
    Q_OBJECT

public slots:
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
