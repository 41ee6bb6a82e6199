// Reads the bytes as a job file into a job, brings the data of its first
// targets into their Targets, and writes the job's file and QML texts.
#include "jobs/pq_Job.h"
#include "jobs/pq_templatesFolder.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <QGuiApplication>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

// Targets whose data is loaded per input; the reading itself covers all.
constexpr int kLoadedTargets = 4;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qInstallMessageHandler(quietMessages);
    setenv("QT_QPA_PLATFORM", "minimal", 1);
    // A job holds pixmaps, which need a GUI application; it lives for the run.
    static QGuiApplication *app = new QGuiApplication(*argc, *argv);
    (void)app;
    // Relative paths of the input resolve in an empty folder of this run.
    static QTemporaryDir templates;
    pq_setTemplatesFolder(templates.path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pq_Job job{QString(), QString()};
    job.readFromBytes(QByteArray(reinterpret_cast<const char *>(data), int(size)),
                      QStringLiteral("/fuzz/input.xml"));
    const int targets = job.targetInfos().size();
    for (int i = 0; i < targets && i < kLoadedTargets; ++i) {
        job.setCurrentTargetIndex(i);
        job.loadCurrentTarget();
    }
    job.setCurrentTargetIndex(0);
    if (job.toXml().isEmpty() || job.toQmlXml().isEmpty())
        __builtin_trap();
    return 0;
}
