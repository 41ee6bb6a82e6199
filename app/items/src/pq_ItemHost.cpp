#include "items/pq_ItemHost.h"

#include "ItemsLogging.h"
#include "controller/peltoQt.h"
#include "jobs/pq_JobIF.h"
#include "jobs/pq_JobListIF.h"

#include <QQmlPropertyMap>

namespace {

// The host over the process's controller.
class ControllerHost final : public pq_ItemHost {
public:
    pq_JobListIF* jobList() override
    {
        peltoQt* c = peltoQt::instance();
        return c ? c->jobList() : nullptr;
    }
    QQmlPropertyMap* currentJobMap() override
    {
        peltoQt* c = peltoQt::instance();
        return c ? c->currentJobMap() : nullptr;
    }
    void alertCritical(const QString& title, const QString& message) override
    {
        if (peltoQt* c = peltoQt::instance())
            c->alertCritical(title, message);
    }
    void alertWarning(const QString& title, const QString& message) override
    {
        if (peltoQt* c = peltoQt::instance())
            c->alertWarning(title, message);
    }
    void alertInformation(const QString& title, const QString& message) override
    {
        if (peltoQt* c = peltoQt::instance())
            c->alertInformation(title, message);
    }
    bool selectNextTarget4Drop() override
    {
        peltoQt* c = peltoQt::instance();
        return c && c->selectNextTarget4Drop();
    }
    void selectTarget4Profiling(int index) override
    {
        if (peltoQt* c = peltoQt::instance())
            c->selectTarget4Profiling(index);
    }
    void setProfileNameTag(const QString& tag) override
    {
        if (peltoQt* c = peltoQt::instance())
            c->setProfileNameTag(tag);
    }
    void setProfileName(const QString& name, int prefixLength) override
    {
        if (peltoQt* c = peltoQt::instance())
            c->setProfileName(name, prefixLength);
    }
    void toggleColorPicker(bool selectedColor) override
    {
        if (peltoQt* c = peltoQt::instance())
            c->toggleColorPicker(selectedColor);
    }
    void profileCreated(const QString& path) override
    {
        if (peltoQt* c = peltoQt::instance())
            c->setCreatedProfilePath(path);
    }
    QObject* reportReceiver() override { return peltoQt::instance(); }
    void registerImageItem(QObject* owner, pq_ImageItemIF* item) override
    {
        peltoQt* c = peltoQt::instance();
        if (!c)
            return;
        if (owner)
            c->setImageItem(owner, item);
        else if (c->imageItem() == item)
            c->setImageItem(nullptr, nullptr);
    }
    void registerMagnifier(QObject* owner, pq_MagnifierIF* magnifier) override
    {
        peltoQt* c = peltoQt::instance();
        if (!c)
            return;
        if (owner)
            c->setMagnifier(owner, magnifier);
        else if (c->magnifier() == magnifier)
            c->setMagnifier(nullptr, nullptr);
    }

};

pq_ItemHost* g_host = nullptr;

}  // namespace

pq_ItemHost* pq_ItemHost::instance()
{
    static ControllerHost controllerHost;
    return g_host ? g_host : &controllerHost;
}

void pq_ItemHost::setInstance(pq_ItemHost* host) { g_host = host; }

pq_JobIF* pq_ItemHost::findJobByName(const QString& name)
{
    pq_JobListIF* list = jobList();
    if (!list || name.isEmpty())
        return nullptr;
    for (int i = 0; i < list->size(); ++i) {
        pq_JobIF* job = list->jobAt(i);
        if (job && job->getJobName() == name)
            return job;
    }
    return nullptr;
}
