#pragma once
// The program's data folders: the temporary folder that receives the engine's
// measurement files and the patch-grid placement files, and the folders of the
// shipped reference data and illuminant spectra.

#include <QString>

class ConfigIF {
public:
    virtual ~ConfigIF() = default;

    // The process-wide configuration, created on the first call and never
    // destroyed. Not locked: set it up on one thread before others read it.
    static ConfigIF* instance();

    // Stores tmpBase + "/tmppelto" as the temporary folder and dataBase +
    // "/References" and dataBase + "/Illuminants" as the data folders. Creates
    // no folder.
    virtual void init(const QString& tmpBase, const QString& dataBase) = 0;
    virtual QString tmpPath() const = 0;
    virtual QString referencesPath() const = 0;
    virtual QString illuminantsPath() const = 0;
};

class Config : public ConfigIF {
public:
    // Until init: the temporary folder is "tmppelto" under the system's
    // temporary location, the data folders are empty.
    Config();
    void init(const QString& tmpBase, const QString& dataBase) override;
    QString tmpPath() const override;
    QString referencesPath() const override;
    QString illuminantsPath() const override;

private:
    QString m_tmpPath;
    QString m_referencesPath;
    QString m_illuminantsPath;
};

// out = the temporary folder + "/" + the image's complete base name + ".rst".
// Creates the temporary folder when it is missing; out is empty (and the result
// false) when it cannot, or when imagePath has no base name.
bool patchGridFilePath(const QString& imagePath, QString& out);
