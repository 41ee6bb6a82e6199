// The set-file reader over arbitrary bytes: the guarded parse and the
// expert-settings and job-information readers behind it.
#include "controller/pq_SetFile.h"
#include "jobs/pq_jobExpertSettings.h"
#include "jobs/pq_jobInfo.h"

#include <QByteArray>
#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
        return true;
    }();
    Q_UNUSED(quiet)
    pq_jobExpertSettings expert;
    pq_jobInfo info;
    QString message;
    pq_readSetFile(QByteArray(reinterpret_cast<const char*>(data), int(size)), QStringLiteral("fuzz.xml"),
                   expert, info, &message);
    return 0;
}
