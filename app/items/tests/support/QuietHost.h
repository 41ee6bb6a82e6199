// A chart image item on its own: one job with one target, found by its name,
// and a host that records nothing and answers no controller.
#pragma once

#include "items/pq_ItemHost.h"

#include "FakeJob.h"
#include "jobs/pq_targetInfo.h"

#include <QString>

class OneTargetJob : public FakeJob {
public:
    explicit OneTargetJob(const QString& name) : name(name) {}
    pq_targetInfo* currentTargetInfo() const override { return const_cast<pq_targetInfo*>(&info); }
    QString getJobName() const override { return name; }
    QString name;
    pq_targetInfo info;
};

class QuietHost : public pq_ItemHost {
public:
    pq_JobListIF* jobList() override { return nullptr; }
    QQmlPropertyMap* currentJobMap() override { return nullptr; }
    void alertCritical(const QString&, const QString&) override {}
    void alertWarning(const QString&, const QString&) override {}
    void alertInformation(const QString&, const QString&) override {}
    bool selectNextTarget4Drop() override { return moreTargets; }
    void selectTarget4Profiling(int) override {}
    void setProfileNameTag(const QString&) override {}
    void setProfileName(const QString&, int) override {}
    void toggleColorPicker(bool) override {}
    void profileCreated(const QString&) override {}
    QObject* reportReceiver() override { return nullptr; }
    void registerImageItem(QObject*, pq_ImageItemIF*) override {}
    void registerMagnifier(QObject*, pq_MagnifierIF*) override {}
    pq_JobIF* findJobByName(const QString& name) override
    {
        return job && job->getJobName() == name ? job : nullptr;
    }
    pq_JobIF* job = nullptr;
    bool moreTargets = false;  // what selectNextTarget4Drop answers
};
