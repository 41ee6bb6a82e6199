// One target of a job: its chart picture, reference data, grid size and
// shots, as kept in the job file and shown in the target and shot lists.
#pragma once

#include <QDomElement>
#include <QString>
#include <QStringList>

class pq_targetInfo
{
public:
    // Largest counts a description may give; larger ones are refused.
    static constexpr int MaxPatches = 100000;
    static constexpr int MaxGridSide = 10000;
    static constexpr int MaxPages = 1000;
    // Largest reference file read.
    static constexpr qint64 MaxReferenceSize = 16 * 1024 * 1024;

    pq_targetInfo() = default;

    // Copies every field but the shots, selected and isClone.
    void assign(const pq_targetInfo &other);

    // Reads the fields an element gives; a field changes only when its
    // element has text. Problems that leave content unread (a repeated
    // element, a count that is not a count) are appended to problems, each
    // with its line; the result is false when there was one.
    bool readFromXml(const QDomElement &element, QStringList *problems = nullptr);
    // Reads the document element of a description file; nothing happens when
    // the file cannot be read or does not parse.
    bool readFromFile(const QString &path);

    // Gives up the reference file and the chart picture that a job file's
    // paths name unless each reads as what it claims to be: reference data
    // in CGATS with this target's patches, a picture that decodes. Each one
    // given up while it exists adds a note in words; the description keeps
    // the reference data and picture it carries.
    void checkNamedFiles(QStringList *notes);

    // The job-file element; full adds the reference data and the picture.
    QString makeExportXMLString(bool full) const;
    // One entry of the target lists for QML; a job's entry gives the kind of
    // profile it makes as profileType.
    QString toQmlXml(bool wrap, bool current, int index, bool tint,
                     const QString &profileType = QStringLiteral("ICC")) const;
    // The shot list for QML, shot indexes from 1.
    QString shotsXml(int currentShot) const;

    // Takes the reference file from a local-file URL or a path.
    void setTargetFile(const QString &url);
    // The whole text of the reference file, empty when it cannot be read.
    QString referenceFileText() const;
    // File URL of the reference file, or of its folder.
    QString fileUrl(bool folder) const;
    // The chart picture, relative to the templates folder or absolute (empty
    // when checkNamedFiles gave it up).
    QString fullResFilePath(bool absolute) const;

    QString shotPath(int index) const;
    void addShot(const QString &path) { shots.append(path); }
    void clearShots() { shots.clear(); }

    // True when the reference data has more than 19 fields. failed is set
    // when there is no text or no readable NUMBER_OF_FIELDS line.
    bool hasSpectralReference(bool *failed) const;

    QString name;
    QString model;
    QString targetFullResFilePath;
    QString targetVendor;
    QString referenceFile;
    QString referencePath;
    QString referenceName;
    int patches = 0;
    int pages = 1;
    int rows = 0;
    int columns = 0;
    bool isNegative = false;
    bool isTransmissive = false;
    QStringList shots;
    bool selected = true;
    bool isClone = false;
    bool pictureRefused = false;
    QString targetDefinition;
    QString fieldOrder;
    QString referenceData;
    QString targetImage;

private:
    QString targetImageBase64() const;
};
