// Loads the main window over the real controller on a scratch data folder
// (offscreen, software back end) and runs the QML cases of its navigation and
// its job saving; "store" lets them read the job files the controller writes.
#include "ControllerTestSupport.h"
#include "controller/peltoQt.h"
#include "items/pq_registerItems.h"
#include "platform/program_folders.h"
#include "profile_pages.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QQmlContext>
#include <QUrl>
#include <QQmlEngine>
#include <QtQuickTest>

#include <memory>

// The job files of the scratch store.
class Store : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    Q_INVOKABLE bool exists(const QString& job) const { return QFileInfo::exists(path(job)); }
    Q_INVOKABLE QString text(const QString& job) const
    {
        QFile file(path(job));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    Q_INVOKABLE void remove(const QString& job) const { QFile::remove(path(job)); }

private:
    static QString path(const QString& job) { return platform::jobsFolderPath() + "/" + job + ".xml"; }
};

class Setup : public QObject {
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        QCoreApplication::setOrganizationName("Vandrelith");
        QCoreApplication::setApplicationName("pelto5");
        QCoreApplication::setApplicationVersion("5.1.1");
        m_home = std::make_unique<ScratchHome>();
        m_home->writeJob("Studio");
        m_home->writeJob("Smith & Sons");
        m_home->writeJob("Off", true);
        const QString shots = m_home->writeShots();
        m_controller = std::make_unique<peltoQt>();
        peltoQt::setInstance(m_controller.get());
        pq_registerQmlItems();
        m_controller->init(QCoreApplication::applicationFilePath());
        pq_initProfilePages();
        pq_addTargetIconProvider(engine);
        QQmlContext* context = engine->rootContext();
        m_controller->publishTo(context);
        context->setContextProperty("store", new Store(engine));
        context->setContextProperty("shotsFolder", QUrl::fromLocalFile(shots).toString());
    }

    void cleanupTestCase()
    {
        peltoQt::setInstance(nullptr);
        m_controller.reset();
        m_home.reset();
    }

private:
    std::unique_ptr<ScratchHome> m_home;
    std::unique_ptr<peltoQt> m_controller;
};

QUICK_TEST_MAIN_WITH_SETUP(main_window, Setup)

#include "tst_main_window.moc"
