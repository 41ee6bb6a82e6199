#include "FakeController.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QUrl>

namespace {

QString escaped(const QVariant& value)
{
    return value.toString().toHtmlEscaped();
}

QString element(const QString& name, const QVariant& value)
{
    return "<" + name + ">" + escaped(value) + "</" + name + ">\n";
}

// One job as the controller lists it for QML.
QString jobXml(const QVariantMap& job)
{
    const int targets = job.value("targets", 1).toInt();
    QString xml = job.value("enabled", true).toBool() ? "<job enabled='true'>\n" : "<job>\n";
    if (targets > 0) {
        xml += element("jobName", job.value("name"));
        xml += element("targetsCount", targets);
        xml += element("calculationSet", job.value("set", "Unnamed"));
        xml += element("currentTargetIndex", 0);
        xml += element("name", job.value("target", "ColorChecker"));
        xml += element("model", job.value("model", "ColorChecker 24"));
        xml += element("profileType", "ICC");
        xml += element("referenceName", job.value("reference", "ColorChecker.cie"));
        xml += element("qcSet", "Unknown");
        xml += element("targetIcon", "");
        xml += element("targetTint", job.value("tint", ""));
        xml += element("isC1InsteadOfDCP", job.value("c1", false).toBool() ? "true" : "false");
    }
    return xml + "</job>\n";
}

}  // namespace

FakeController::FakeController(QObject* parent) : QObject(parent)
{
    reset();
}

void FakeController::install(QQmlEngine* engine)
{
    QQmlContext* context = engine->rootContext();
    context->setContextProperty("peltoQt", this);
    context->setContextProperty("props", &props);
    context->setContextProperty("currentJob", &currentJob);
    context->setContextProperty("allJobs", &allJobs);
    context->setContextProperty("allEnabledJobs", &allEnabledJobs);
    context->setContextProperty("allTargets", &allTargets);
    context->setContextProperty("allSets", &allSets);
    context->setContextProperty("allProfiles", &allProfiles);
    context->setContextProperty("qaPatchInfo", &qaPatchInfo);
    context->setContextProperty("qaColorPicker", &qaColorPicker);
    engine->addImageProvider("targets", new FakeTargetIcons);
}

void FakeController::reset()
{
    m_calls.clear();
    m_answers.clear();
    m_previousTitle.clear();
    m_sortingAuto = true;
    // Interface scaling at 96 pixels per inch and a unit ratio of 1.
    const int fonts[][2] = {{10, 7},  {12, 8},  {13, 9},  {14, 10}, {15, 10}, {16, 11}, {18, 12},
                            {20, 14}, {22, 15}, {24, 17}, {30, 21}, {40, 28}, {60, 43}};
    for (const auto& f : fonts)
        props.insert(QString("FT_%1").arg(f[0]), f[1]);
    props.insert("test", false);
    for (int k = 0; k <= 1200; k += 5) {
        props.insert(QString("u%1").arg(k), double(k));
        props.insert(QString("p%1").arg(k), k);
    }
    currentJob.insert("name", "unnamed");
    currentJob.insert("profileName", "unnamed");
    currentJob.insert("progressValue", 0);
    currentJob.insert("imageProgress", 0);
    currentJob.insert("C1TifProgress", 0);
    currentJob.insert("targets", "");
    currentJob.insert("currentTargetShots", "");
    currentJob.insert("currentTarget", -1);
    currentJob.insert("targetCount", 0);
    currentJob.insert("info", "");
    currentJob.insert("expertSetName", "");
    currentJob.insert("expert", "");
    currentJob.insert("expertTrimmed", "");
    currentJob.insert("profileNameTag", "");
    currentJob.insert("isC1InsteadOfDCP", false);
    for (const char* kind : {"Critical", "Warning", "Information"}) {
        currentJob.insert(QString("alert%1Title").arg(kind), "");
        currentJob.insert(QString("alert%1Message").arg(kind), "");
    }
    for (const char* key : {"expertAllAllLocked", "expertRemoveAllTab", "expertIccAllLocked", "expertCameraAllLocked",
                            "expertC1AllLocked"})
        currentJob.insert(key, false);
    allSets.insert("list", "");
    allProfiles.insert("list", "");
    allTargets.insert("xml", "<?xml version='1.0' encoding='UTF-8'?>\n<targets>\n</targets>\n");
    allTargets.insert("firstSelectedIndex", 0);
    qaColorPicker.insert("visible", false);
    qaPatchInfo.insert("visible", false);
    m_jobs.clear();
    publishJobs();
    allJobs.insert("currentIndex", QVariant());
    allEnabledJobs.insert("currentIndex", QVariant());
}

void FakeController::setJobs(const QVariantList& jobs)
{
    m_jobs = jobs;
    m_fixedOrder.clear();
    for (const QVariant& job : jobs)
        m_fixedOrder << job.toMap().value("name").toString();
    publishJobs();
}

void FakeController::publishJobs()
{
    QString all = "<?xml version='1.0' encoding='UTF-8'?>\n<jobs>\n";
    QString enabled = all;
    for (const QString& name : m_fixedOrder) {
        for (const QVariant& value : m_jobs) {
            const QVariantMap job = value.toMap();
            if (job.value("name").toString() != name)
                continue;
            all += jobXml(job);
            if (job.value("enabled", true).toBool())
                enabled += jobXml(job);
        }
    }
    allJobs.insert("xml", all + "</jobs>\n");
    allEnabledJobs.insert("xml", enabled + "</jobs>\n");
}

void FakeController::setTargets(const QVariantList& targets)
{
    QString xml = "<?xml version='1.0' encoding='UTF-8'?>\n<targets>\n";
    int index = 0;
    for (const QVariant& value : targets) {
        const QVariantMap t = value.toMap();
        xml += t.value("selected").toBool() ? "<target selected='true'>\n" : "<target>\n";
        xml += "    " + element("name", t.value("name"));
        xml += "    " + element("index", index++);
        xml += "    " + element("model", t.value("model", t.value("name")));
        xml += "    <profileType>ICC</profileType>\n";
        xml += "    " + element("referenceName", t.value("reference", "reference.cie"));
        xml += "    " + element("referenceFolder", "file:///tmp");
        xml += "    <qcSet>Unknown</qcSet>\n    <targetIcon></targetIcon>    <targetTint></targetTint>";
        xml += "    <shotsCount>0</shotsCount>\n";
        xml += "    " + element("manufacturer", t.value("manufacturer", "Vendor"));
        xml += "    " + element("patches", t.value("patches", 24));
        xml += "    " + element("rows", t.value("rows", 4));
        xml += "    " + element("columns", t.value("columns", 6));
        xml += "</target>\n";
    }
    allTargets.insert("xml", xml + "</targets>\n");
}

QQmlPropertyMap* FakeController::map(const QString& name)
{
    static const char* const names[] = {"props", "currentJob", "allJobs", "allEnabledJobs", "allTargets",
                                        "allSets", "allProfiles", "qaPatchInfo", "qaColorPicker"};
    QQmlPropertyMap* maps[] = {&props, &currentJob, &allJobs, &allEnabledJobs, &allTargets,
                               &allSets, &allProfiles, &qaPatchInfo, &qaColorPicker};
    for (int i = 0; i < 9; ++i) {
        if (name == QLatin1String(names[i]))
            return maps[i];
    }
    return nullptr;
}

void FakeController::setMap(const QString& name, const QString& key, const QVariant& value)
{
    if (QQmlPropertyMap* m = map(name))
        m->insert(key, value);
}

QVariant FakeController::mapValue(const QString& name, const QString& key) const
{
    return const_cast<FakeController*>(this)->map(name) ? const_cast<FakeController*>(this)->map(name)->value(key)
                                                        : QVariant();
}

void FakeController::emitSignal(const QString& name, bool argument)
{
    if (name == "setShowIntroMessage")
        emit setShowIntroMessage(argument);
    else
        QMetaObject::invokeMethod(this, name.toLatin1().constData());
}

void FakeController::log(const QString& slot, const QVariantList& args)
{
    QStringList texts;
    for (const QVariant& a : args)
        texts << (a.type() == QVariant::Bool ? (a.toBool() ? "true" : "false") : a.toString());
    m_calls << slot + "(" + texts.join(",") + ")";
}

QVariantList FakeController::dropShots(const QStringList& urls)
{
    log("dropShots", {urls.join(QLatin1Char('|'))});
    QVariantList outcomes;
    for (const QString& url : urls)
        outcomes.append(QVariantMap{{"target", url.startsWith("file:") ? 0 : -1}});
    return outcomes;
}

void FakeController::storePreviousMainTitle(const QString& title)
{
    log("storePreviousMainTitle", {title});
    m_previousTitle = title;
}

bool FakeController::isJobD65StdAWithoutSpectral(const QString& name)
{
    log("isJobD65StdAWithoutSpectral", {name});
    return answer("isJobD65StdAWithoutSpectral", false).toBool();
}

bool FakeController::doesJobExist(const QString& name)
{
    log("doesJobExist", {name});
    return answer("doesJobExist", false).toBool();
}

bool FakeController::isJobModified(const QString& name)
{
    log("isJobModified", {name});
    return answer("isJobModified", false).toBool();
}

QVariant FakeController::saveCurrentJob(bool isC1InsteadOfDCP)
{
    log("saveCurrentJob", {isC1InsteadOfDCP});
    return answer("saveCurrentJob", true);
}

bool FakeController::setCurrentJob(const QString& name, const QString& origin, bool force)
{
    log("setCurrentJob", {name, origin, force});
    currentJob.insert("name", name);
    int index = -1;
    int enabledIndex = -1;
    int enabledCount = 0;
    for (int i = 0; i < m_fixedOrder.size(); ++i) {
        bool enabled = true;
        for (const QVariant& job : m_jobs) {
            if (job.toMap().value("name").toString() == m_fixedOrder[i])
                enabled = job.toMap().value("enabled", true).toBool();
        }
        if (m_fixedOrder[i] == name) {
            index = i;
            enabledIndex = enabled ? enabledCount : -1;
            break;
        }
        if (enabled)
            ++enabledCount;
    }
    allJobs.insert("currentIndex", index);
    allEnabledJobs.insert("currentIndex", enabledIndex);
    return answer("setCurrentJob", true).toBool();
}

bool FakeController::setCurrentEnabledJobByIndex(int index, const QString& origin, bool force)
{
    log("setCurrentEnabledJobByIndex", {index, origin, force});
    return answer("setCurrentEnabledJobByIndex", false).toBool();
}

QString FakeController::getTargetTint(const QString& jobName, int index)
{
    Q_UNUSED(jobName)
    return index == 1 ? "yellow" : "transparent";
}

void FakeController::setSortingJobsAuto(bool isAuto)
{
    log("setSortingJobsAuto", {isAuto});
    m_sortingAuto = isAuto;
    emit sortingJobsChanged();
}

void FakeController::movedJobReset()
{
    log("movedJobReset", {});
    m_movedName.clear();
    m_movedFrom = -1;
    m_movedTo = -1;
}

void FakeController::movedJobPrepare(const QString& name, int from, int to)
{
    log("movedJobPrepare", {name, from, to});
    m_movedName = name;
    if (m_movedFrom < 0)
        m_movedFrom = from;
    m_movedTo = to;
}

void FakeController::movedJobNow()
{
    log("movedJobNow", {});
    const int n = m_fixedOrder.size();
    if (m_movedName.isEmpty() || m_movedFrom < 0 || m_movedTo < 0 || m_movedFrom == m_movedTo || m_movedFrom >= n
        || m_movedTo >= n)
        return;
    m_fixedOrder.move(m_movedFrom, m_movedTo);
    publishJobs();
}

QVariant FakeController::duplicateJob(const QString& name, const QString& newName)
{
    log("duplicateJob", {name, newName});
    return answer("duplicateJob", true);
}

void FakeController::targetSelected(const QString& name)
{
    log("targetSelected", {name});
    currentJob.insert("targetCount", currentJob.value("targetCount").toInt() + 1);
}

QVariant FakeController::saveSet(const QString& name)
{
    log("saveSet", {name});
    return answer("saveSet", true);
}

bool FakeController::doesSetExist(const QString& name)
{
    log("doesSetExist", {name});
    return answer("doesSetExist", false).toBool();
}

QVariant FakeController::duplicateSet(const QString& name, const QString& newName)
{
    log("duplicateSet", {name, newName});
    return answer("duplicateSet", true);
}

QImage FakeTargetIcons::requestImage(const QString& id, QSize* size, const QSize& requested)
{
    Q_UNUSED(id)
    QImage image(requested.isValid() ? requested : QSize(300, 200), QImage::Format_RGB32);
    image.fill(QColor(30, 30, 32));
    QPainter painter(&image);
    const int w = image.width() / 6;
    const int h = image.height() / 4;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 6; ++c)
            painter.fillRect(c * w + 3, r * h + 3, w - 6, h - 6, QColor::fromHsv((r * 6 + c) * 15 % 360, 150, 200));
    }
    painter.end();
    if (size)
        *size = image.size();
    return image;
}

bool DropHelper::dropUrls(QObject* object, const QStringList& urls)
{
    auto* item = qobject_cast<QQuickItem*>(object);
    if (!item || !item->window())
        return false;
    QQuickWindow* window = item->window();
    const QPoint at = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    QMimeData data;
    QList<QUrl> list;
    for (const QString& u : urls)
        list << QUrl(u);
    data.setUrls(list);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QGuiApplication::sendEvent(window, &enter);
    QDragMoveEvent move(at + QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QGuiApplication::sendEvent(window, &move);
    QDropEvent drop(at + QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QGuiApplication::sendEvent(window, &drop);
    return drop.isAccepted();
}

bool DropHelper::grab(QObject* object, const QString& path)
{
    auto* window = qobject_cast<QQuickWindow*>(object);
    return window && window->grabWindow().save(path);
}
