#include "ControllerTestSupport.h"

#include "settings/pq_Settings.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileWriter.h"
#include "jobs/pq_targetInfo.h"
#include "platform/program_folders.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <utility>

ScratchHome::ScratchHome()
{
    const QByteArray root = QFile::encodeName(m_dir.path());
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_DATA_HOME", root + "/data");
    qputenv("XDG_CACHE_HOME", root + "/cache");
    qputenv("TMPDIR", root + "/tmp");
    QDir().mkpath(m_dir.path() + "/tmp");
    removeSettingsStore();
}

ScratchHome::~ScratchHome()
{
    removeSettingsStore();
}

void ScratchHome::removeSettingsStore()
{
    // QSettings keeps the folder of its stores from its first use, so the
    // store is emptied rather than left behind in an old scratch folder.
    pq_Settings::destroyInstance();
    QSettings store;
    store.clear();
    store.sync();
    QFile::remove(store.fileName());
}

QString ScratchHome::jobsFolder() const
{
    return platform::jobsFolderPath();
}

QString ScratchHome::setsFolder() const
{
    return platform::setsFolderPath();
}

pq_targetInfo* ScratchHome::colourTarget()
{
    auto description = new pq_targetInfo;
    description->name = "ColorChecker";
    description->rows = 4;
    description->columns = 6;
    description->patches = 24;
    description->referenceData = "NUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L LAB_A LAB_B\n";
    return description;
}

void ScratchHome::writeJob(const QString& name, bool initiallyDisabled, int targets) const
{
    pq_Job job{QString(), QString()};
    job.setJobId(name);
    job.setJobName(name);
    job.setInitiallyDisabled(initiallyDisabled);
    job.addTargetInfo(colourTarget());
    for (int i = 2; i <= targets; ++i) {
        pq_targetInfo* further = colourTarget();
        further->name = QString("Target %1").arg(i);
        job.addTargetInfo(further);
    }
    const pq_JobSaveResult saved = pq_JobFileWriter::save(job, jobsFolder());
    QVERIFY2(saved.ok, qPrintable(saved.message));
}

QString ScratchHome::writeShots() const
{
    const QString folder = m_dir.path() + "/Shots";
    QDir().mkpath(folder + "/Folder");
    const std::pair<const char*, QByteArray> files[] = {
        {"a.tif", QByteArray("II*\0\x08\0\0\0", 8)},
        {"b.dng", QByteArray("MM\0*\0\0\0\x08", 8)},
        {"c.jpg", QByteArray("\xff\xd8\xff\xe0\0\x10JFIF", 10)},
        {"d.tif", QByteArray("II*\0\x08\0\0\0", 8)},
        {"notes.pdf", QByteArray("%PDF-1.4\n")},
    };
    for (const auto& [name, bytes] : files) {
        QFile file(folder + "/" + name);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    return folder;
}

void ScratchHome::writeSet(const QString& name, const QByteArray& bytes) const
{
    QDir().mkpath(setsFolder());
    QFile file(setsFolder() + "/" + name + ".xml");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
