// Shared set-up of the jobs tests: a documents folder, cache and data folder
// of their own, the real reference files, and registration of the suites.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class pq_targetInfo;

using SuiteFactory = std::function<std::unique_ptr<QObject>()>;
std::vector<SuiteFactory> &jobTestSuites();

template <typename T>
struct RegisterSuite
{
    RegisterSuite()
    {
        jobTestSuites().push_back([] { return std::unique_ptr<QObject>(new T); });
    }
};

namespace jobtest {

// Folders inside the test's temporary documents folder.
QString documentsFolder();
QString templatesFolder();
QString jobsFolder();
QString filmCurvesFolder();
QString tempFolder();
// A fresh, empty folder below the test's temporary folder.
QString freshFolder(const QString &name);

// The reference files of the Debian argyll-ref package.
QString argyllReference(const QString &fileName);
// The ColorChecker definition fixture.
QString colorCheckerDefinition();

// A ColorChecker description, 4 rows of 6, its reference copied into the
// templates folder and its picture (600 x 400) in it; the caller owns it.
pq_targetInfo *colorCheckerTarget(const QString &name = QStringLiteral("ColorChecker"));

QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);

}  // namespace jobtest
