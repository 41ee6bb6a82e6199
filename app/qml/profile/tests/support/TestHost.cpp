#include "TestHost.h"

#include "FakeController.h"
#include "FakeItems.h"
#include "profile_pages.h"

#include <QQmlContext>
#include <QQmlEngine>

TestHost::TestHost(QObject* parent) : QObject(parent)
{
    pq_initProfilePages();
    Q_INIT_RESOURCE(profile_test);
    registerFakeItems();
    controller = new FakeController(&currentJob, &qaColorPicker, this);

    const double fontRatio = 0.72;
    for (int n : {10, 12, 13, 14, 15, 16, 18, 20, 22, 24, 30, 40, 60})
        props.insert(QStringLiteral("FT_%1").arg(n), int(fontRatio * n));
    props.insert(QStringLiteral("test"), false);
    for (int k = 0; k <= 1200; k += 5) {
        props.insert(QStringLiteral("u%1").arg(k), double(k));
        props.insert(QStringLiteral("p%1").arg(k), k);
    }
    for (const char* key : {"alertWarningTitle", "alertWarningMessage", "alertCriticalTitle",
                            "alertCriticalMessage", "alertInformationTitle", "alertInformationMessage",
                            "profileName", "profileNamePrefix", "profileNameTag", "compareProfileName",
                            "targets", "currentTargetShots"})
        currentJob.insert(QLatin1String(key), QString());
    currentJob.insert(QStringLiteral("progressValue"), 0);
    currentJob.insert(QStringLiteral("C1TifProgress"), 0);
    currentJob.insert(QStringLiteral("isC1InsteadOfDCP"), false);
    allProfiles.insert(QStringLiteral("list"), QString());
    qaPatchInfo.insert(QStringLiteral("visible"), false);
    qaColorPicker.insert(QStringLiteral("visible"), false);
    qaColorPicker.insert(QStringLiteral("x"), 0);
    qaColorPicker.insert(QStringLiteral("y"), 0);
}

void TestHost::install(QQmlEngine* engine)
{
    QQmlContext* context = engine->rootContext();
    context->setContextProperty(QStringLiteral("testHost"), this);
    context->setContextProperty(QStringLiteral("peltoQt"), controller);
    context->setContextProperty(QStringLiteral("props"), &props);
    context->setContextProperty(QStringLiteral("currentJob"), &currentJob);
    context->setContextProperty(QStringLiteral("allJobs"), &allJobs);
    context->setContextProperty(QStringLiteral("allEnabledJobs"), &allEnabledJobs);
    context->setContextProperty(QStringLiteral("allTargets"), &allTargets);
    context->setContextProperty(QStringLiteral("allSets"), &allSets);
    context->setContextProperty(QStringLiteral("allProfiles"), &allProfiles);
    context->setContextProperty(QStringLiteral("qaPatchInfo"), &qaPatchInfo);
    context->setContextProperty(QStringLiteral("qaColorPicker"), &qaColorPicker);
}

QString targetsXml(int count, int current)
{
    QString xml = QStringLiteral("<targets>\n");
    for (int i = 0; i < count; ++i) {
        xml += i == current ? QStringLiteral("<target current='true'>\n") : QStringLiteral("<target>\n");
        xml += QStringLiteral("    <name>Target %1</name>\n    <index>%1</index>\n").arg(i);
        xml += QStringLiteral("    <targetIcon></targetIcon>    <shotsCount>%1</shotsCount>\n").arg(i + 1);
        xml += QStringLiteral("</target>\n");
    }
    return xml + QStringLiteral("</targets>\n");
}

QString shotsXml(int count, int current)
{
    QString xml = QStringLiteral("<shots>\n");
    for (int i = 0; i < count; ++i) {
        xml += i == current ? QStringLiteral("<shot current='true'>\n") : QStringLiteral("<shot>\n");
        xml += QStringLiteral("<index>%1</index>\n<path>/shots/shot%1.tif</path>\n<targetIcon></targetIcon></shot>\n")
                   .arg(i + 1);
    }
    return xml + QStringLiteral("</shots>\n");
}

QString TestHost::targets(int count, int current) const
{
    return targetsXml(count, current);
}

QString TestHost::shots(int count, int current) const
{
    return shotsXml(count, current);
}
