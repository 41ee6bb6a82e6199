#pragma once
// What the QML items ask of the controller: its job list and current-job map,
// the alerts, target selection, the profile name and the registration of the
// items. The program's host speaks to the process's controller; tests set a
// recording host.

#include <QString>

class QObject;
class QQmlPropertyMap;
class pq_ImageItemIF;
class pq_JobIF;
class pq_JobListIF;
class pq_MagnifierIF;

class pq_ItemHost {
public:
    virtual ~pq_ItemHost() = default;

    // The process's host: the one set, else one over the process's controller.
    static pq_ItemHost* instance();
    static void setInstance(pq_ItemHost* host);

    virtual pq_JobListIF* jobList() = 0;
    virtual QQmlPropertyMap* currentJobMap() = 0;
    virtual void alertCritical(const QString& title, const QString& message) = 0;
    virtual void alertWarning(const QString& title, const QString& message) = 0;
    virtual void alertInformation(const QString& title, const QString& message) = 0;
    // True when another target now waits for a shot.
    virtual bool selectNextTarget4Drop() = 0;
    virtual void selectTarget4Profiling(int index) = 0;
    virtual void setProfileNameTag(const QString& tag) = 0;
    virtual void setProfileName(const QString& name, int prefixLength) = 0;
    virtual void toggleColorPicker(bool selectedColor) = 0;
    // A run wrote this profile: it becomes the current one and the profile
    // list is rebuilt.
    virtual void profileCreated(const QString& path) = 0;
    // The object whose catchPatchInfo and catchColorPicker slots receive the
    // engine's reports; null for none.
    virtual QObject* reportReceiver() = 0;
    // A null owner unregisters the item when it is the registered one.
    virtual void registerImageItem(QObject* owner, pq_ImageItemIF* item) = 0;
    virtual void registerMagnifier(QObject* owner, pq_MagnifierIF* magnifier) = 0;

    // The first job of that name in the job list, null for none.
    virtual pq_JobIF* findJobByName(const QString& name);
};
