#include "ProfilingTestSupport.h"

#include "chart/Config.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QTest>

namespace proftest {

Folders::Folders()
{
    if (!m_dir.isValid())
        return;
    ConfigIF::instance()->init(m_dir.path(), m_dir.path() + "/data");
    QDir().mkpath(tmp());
    qputenv("XDG_DATA_HOME", (m_dir.path() + "/share").toUtf8());
}

QString Folders::tmp() const
{
    return ConfigIF::instance()->tmpPath();
}

QStringList Folders::tmpFiles() const
{
    return QDir(tmp()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void Folders::clearTmp() const
{
    QDir(tmp()).removeRecursively();
    QDir().mkpath(tmp());
}

RunRecorder::RunRecorder()
    : done(pq_ProfilingThreadMgr::instance(),
           &pq_ProfilingThreadMgrIF::signalProfileCreationDone),
      error(pq_ProfilingThreadMgr::instance(),
            &pq_ProfilingThreadMgrIF::signalProfileCreationError),
      aborted(pq_ProfilingThreadMgr::instance(),
              &pq_ProfilingThreadMgrIF::signalProfileCreationAborted),
      progress(pq_ProfilingThreadMgr::instance(),
               &pq_ProfilingThreadMgrIF::signalProfileCreationProgress)
{
    pq_ProfilingThreadMgr::instance()->installEventFilter(this);
}

RunRecorder::~RunRecorder()
{
    pq_ProfilingThreadMgr::instance()->removeEventFilter(this);
}

bool RunRecorder::waitForEnd(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (endings() == 0 && !deadline.hasExpired())
        QTest::qWait(5);
    if (endings() == 0)
        return false;
    QTest::qWait(20);
    return true;
}

bool RunRecorder::eventFilter(QObject *watched, QEvent *event)
{
    if (int(event->type()) >= 1000 && int(event->type()) <= 1003)
        events.append(int(event->type()));
    return QObject::eventFilter(watched, event);
}

namespace {

QMutex g_messagesMutex;
QStringList g_messages;
QtMessageHandler g_previous = nullptr;

void capture(QtMsgType, const QMessageLogContext &, const QString &message)
{
    QMutexLocker lock(&g_messagesMutex);
    g_messages.append(message);
}

}  // namespace

MessageCapture::MessageCapture()
{
    QMutexLocker lock(&g_messagesMutex);
    g_messages.clear();
    g_previous = qInstallMessageHandler(capture);
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(g_previous);
}

QStringList MessageCapture::messages() const
{
    QMutexLocker lock(&g_messagesMutex);
    return g_messages;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace proftest
