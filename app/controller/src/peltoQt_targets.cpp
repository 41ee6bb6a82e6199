// The target templates, the interface scaling, the quality-control limits and
// the progress of the current job's loads, as far as the job operations
// publish them.
#include "controller/peltoQt.h"

#include "ControllerLogging.h"
#include "settings/pq_Settings.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_targetIcon.h"
#include "jobs/pq_targetInfo.h"
#include "platform/program_folders.h"

#include "colour/Kirr_colorLibrary.h"
#include "platform/desktop.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <iterator>

using namespace platform;

void peltoQt::loadTargetList()
{
    m_targetList.clear();
    const QDir folder(templatesFolderPath() + QStringLiteral("/Targets"));
    if (!folder.exists())
        return;
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("*.xml")},
                                                     QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files) {
        auto description = std::make_unique<pq_targetInfo>();
        description->readFromFile(file.absoluteFilePath());
        m_targetList.push_back(std::move(description));
    }
}

QString peltoQt::makeAllTargetsUIXMLString()
{
    QString xml = QStringLiteral("<?xml version='1.0' encoding='UTF-8'?>\n<targets>\n");
    for (size_t i = 0; i < m_targetList.size(); ++i) {
        pq_targetInfo& description = *m_targetList[i];
        // The template job stands for a new job, whose chosen targets show as
        // selected too.
        const pq_Job* job = currentOrTemplateJob();
        description.selected = job && findTargetInList(job->targetInfos(), description.name) >= 0;
        xml += description.toQmlXml(true, false, int(i), false);
    }
    return xml + QStringLiteral("</targets>\n");
}

int peltoQt::firstSelectedTargetIndex() const
{
    const pq_Job* job = currentOrTemplateJob();
    if (!job)
        return 0;
    for (size_t i = 0; i < m_targetList.size(); ++i) {
        if (findTargetInList(job->targetInfos(), m_targetList[i]->name) >= 0)
            return int(i);
    }
    return 0;
}

void peltoQt::overwriteAllTargetReferenceFilesWithJob(pq_Job* job)
{
    for (const pq_targetInfo* description : job->targetInfos()) {
        if (!description || description->isClone)
            continue;
        qCDebug(lcController) << "looking for target:" << description->name;
        for (const auto& entry : m_targetList) {
            if (entry->name == description->name) {
                qCDebug(lcController) << "changing to:" << description->fileUrl(false);
                entry->setTargetFile(description->fileUrl(false));
                break;
            }
        }
    }
}

void peltoQt::setTargets4UIAnimation(int previous, int current)
{
    const pq_Job* job = currentOrTemplateJob();
    const bool tinted = job && job->jobExpertSettings().cameraIlluminantIndex() == 1;
    auto iconAndTint = [&](int index, QString* icon, QString* tint) {
        icon->clear();
        tint->clear();
        if (job && index >= 0 && index < job->targetInfos().size() && job->targetInfos().at(index)) {
            *icon = pq_targetIconUrl(job->getJobName(), index);
            if (tinted)
                *tint = job->targetInfos().at(index)->isClone ? QStringLiteral("yellow")
                                                               : QStringLiteral("blue");
        }
        if (tinted && tint->isEmpty())
            *tint = QStringLiteral("blue");
    };
    QString previousIcon, previousTint, currentIcon, currentTint;
    iconAndTint(previous, &previousIcon, &previousTint);
    iconAndTint(current, &currentIcon, &currentTint);
    m_currentJob.insert(QStringLiteral("previousTint"), previousTint);
    m_currentJob.insert(QStringLiteral("currentTint"), currentTint);
    m_currentJob.insert(QStringLiteral("currentTarget"), job ? job->currentTargetIndex() : -1);
    m_currentJob.insert(QStringLiteral("previousTargetIcon"), previousIcon);
    m_currentJob.insert(QStringLiteral("currentTargetIcon"), currentIcon);
}

void peltoQt::refreshDeltaELimits()
{
    const pq_Settings* settings = pq_Settings::instance();
    m_qaPatchInfo.insert(QStringLiteral("limLG"), settings->neutralLightThreshold());
    m_qaPatchInfo.insert(QStringLiteral("limCG"), settings->neutralChromaThreshold());
    m_qaPatchInfo.insert(QStringLiteral("limEG"), settings->neutralDeltaEThreshold());
    m_qaPatchInfo.insert(QStringLiteral("limE1"), settings->colorDeltaEThresholdLower());
    m_qaPatchInfo.insert(QStringLiteral("limE2"), settings->colorDeltaEThresholdUpper());
}

void peltoQt::resetColorPicker()
{
    m_qaColorPicker.insert(QStringLiteral("visible"), false);
    m_qaColorPicker.insert(QStringLiteral("x"), 0);
    m_qaColorPicker.insert(QStringLiteral("y"), 0);
}

void peltoQt::initRatios()
{
    m_referenceWidth = 1200;
    m_referenceHeight = 800;
    m_unitRatio = 1.0;
    const double dpi = screenLogicalDpi();
    const double r = dpi > 0 ? dpi / 96.0 : 1.0;
    qCDebug(lcController) << "R=" << r;
    m_fontRatio = 0.72 / r;
}

void peltoQt::initScaleProperties()
{
    for (int n : {10, 12, 13, 14, 15, 16, 18, 20, 22, 24, 30, 40, 60})
        m_props.insert(QStringLiteral("FT_%1").arg(n), int(m_fontRatio * n));
    m_props.insert(QStringLiteral("test"), false);
    const double largest = qMax(m_referenceWidth, m_referenceHeight);
    for (int k = 0; k <= largest; k += 5)
        m_props.insert(QStringLiteral("u%1").arg(k), m_unitRatio * k);
    for (int k = 0; k <= largest; k += 5)
        m_props.insert(QStringLiteral("p%1").arg(k), k);
}

namespace {

QString withoutProfileEnding(QString name)
{
    if (name.endsWith(QLatin1String(".dcp")) || name.endsWith(QLatin1String(".icc")))
        name.chop(4);
    return name;
}

QMap<QString, QString> scannerProfiles()
{
    QMap<QString, QString> list;
    const auto profiles = Kirr_listScannerProfiles(QSet<quint32>());
    for (const auto& entry : profiles) {
        if (!list.contains(entry.first))
            list.insert(entry.first, entry.second);
    }
    return list;
}

}  // namespace

QString peltoQt::profileListText(const QMap<QString, QString>& list, const QString& prefix,
                                 bool filter)
{
    QString text;
    for (auto it = list.cbegin(); it != list.cend(); ++it) {
        if (filter && !it.key().startsWith(prefix))
            continue;
        if (!text.isEmpty())
            text += QLatin1Char('|');
        text += withoutProfileEnding(it.key());
    }
    return text;
}

void peltoQt::refreshProfileList()
{
    QString prefix;
    bool filter = false;
    if (const pq_Job* job = m_currentJob_) {
        prefix = job->cameraName();
        const bool raw = job->areAllChartImagesRaw();
        const bool c1 = job->isC1InsteadOfDCP();
        const bool dcpChart = job->isDcpChart();
        if (!job->areAllChartImagesLoaded() && !(raw && c1 && !dcpChart)) {
            m_profileList = (raw && !c1) || dcpChart ? Kirr_listCameraProfiles() : scannerProfiles();
        } else {
            prefix.remove(QLatin1Char(' '));
            filter = true;
            m_profileList = scannerProfiles();
        }
        // The profile being judged is no comparison for itself.
        if (!m_createdProfilePath.isEmpty()) {
            const QFileInfo judged(m_createdProfilePath);
            for (auto it = m_profileList.begin(); it != m_profileList.end();)
                it = QFileInfo(it.value()) == judged ? m_profileList.erase(it) : std::next(it);
        }
    }
    const QString text = profileListText(m_profileList, prefix, filter);
    m_allProfiles.insert(QStringLiteral("list"), text);
    const QStringList names = text.isEmpty() ? QStringList() : text.split(QLatin1Char('|'));
    if (!names.contains(m_currentJob.value(QStringLiteral("compareProfileName")).toString()))
        selectedProfileCompareChanged(names.isEmpty() ? QString() : names.first());
}

void peltoQt::catchImageProgress(double fraction)
{
    m_currentJob.insert(QStringLiteral("imageProgress"), int(fraction * 100));
}

void peltoQt::catchC1TifProgress(double fraction)
{
    m_currentJob.insert(QStringLiteral("C1TifProgress"), int(fraction * 100));
}

void peltoQt::catchImageLoading(bool loading)
{
    if (!loading)
        m_currentJob.insert(QStringLiteral("imageProgress"), 100);
}
