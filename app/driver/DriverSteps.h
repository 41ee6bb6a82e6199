#pragma once
// Steps of the program's window that driven runs share: the intro, a new job
// on a target template, a shot dropped on a job, a profiling run. Screenshots
// are named PREFIX-what.png; the driver saves none without its folder.

#include "Driver.h"

#include <QString>

#include <functional>
#include <memory>

class CppImageWidget;
class pq_Job;
class QQmlPropertyMap;
class QQuickItem;

// "--keep DIR" among the arguments keeps the screenshots in DIR.
void keepScreenshots(Driver& d, const QStringList& arguments);

// The controller's map of the current job.
QQmlPropertyMap& currentJob();
// The job of that name in the job list; fails without one.
pq_Job* jobNamed(Driver& d, const QString& name);
// The folder of the run's shot files in the scratch home, made when missing.
QString shotsFolder(Driver& d);
QString mainTitle(Driver& d);
// The grid page's image item.
CppImageWidget* imageItem(Driver& d);
// Presses the OK button of the alert with that objectName.
void closeAlert(Driver& d, const QString& alert);

// The intro of a fresh store, skipped to the front page.
void skipIntro(Driver& d);
// A new job on the template from the job editor, saved under the name; the
// first target's next choices: PROFILING (save and the front page) or, with
// viaExpert, EXPERT, the job settings' SAVE JOB and START PROFILING. Returns
// the job file's path once it exists and parses.
// inSettings, when given, works the job settings before they are saved;
// inNameForm the form that takes the job's name, once the name is typed.
QString createJob(Driver& d, const QString& name, const QString& target, const QString& prefix, bool viaExpert,
                  const std::function<void()>& inSettings = {}, const std::function<void()>& inNameForm = {});
// The drop area of the job's view on the front page; the job is picked in
// the strip below when another one is shown.
QQuickItem* jobDropArea(Driver& d, const QString& job);
// Waits for the grid page "Place the Grid" with the grid placed.
CppImageWidget* waitForGridPage(Driver& d, int timeout = 120000);
// Presses the grid page's forward button until it starts profiling (through
// the job settings when the expert settings are enabled).
void pressStartProfiling(Driver& d, const QString& prefix);
// Waits for the run to end with "Successfully completed" on the progress
// page; returns the written profile's path.
QString waitForProfile(Driver& d, const QString& prefix);
// The job file read back; fails unless it reads whole.
std::unique_ptr<pq_Job> storedJob(Driver& d, const QString& path);
// On the job settings, the tab ("CAMERA", "ICC"...) chosen and the setting
// (its name in the settings, "exposureOffset") given the value from its list.
void chooseExpertValue(Driver& d, const QString& tab, const QString& setting, const QString& value);
