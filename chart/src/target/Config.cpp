#include <chart/Config.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const char* const kTmpFolder = "tmppelto";
}

ConfigIF* ConfigIF::instance()
{
    static Config* config = new Config();  // lives until the process ends
    return config;
}

Config::Config()
    : m_tmpPath(QDir::tempPath() + "/" + kTmpFolder)
{
}

void Config::init(const QString& tmpBase, const QString& dataBase)
{
    m_referencesPath = dataBase + "/" + "References";
    m_illuminantsPath = dataBase + "/" + "Illuminants";
    m_tmpPath = tmpBase + "/" + kTmpFolder;
}

QString Config::tmpPath() const { return m_tmpPath; }
QString Config::referencesPath() const { return m_referencesPath; }
QString Config::illuminantsPath() const { return m_illuminantsPath; }

bool patchGridFilePath(const QString& imagePath, QString& out)
{
    out.clear();
    const QString base = QFileInfo(imagePath).completeBaseName();
    if (base.isEmpty())
        return false;
    const QString tmp = ConfigIF::instance()->tmpPath();
    if (tmp.isEmpty() || !QDir().mkpath(tmp))
        return false;
    out = tmp + "/" + base + ".rst";
    return true;
}
