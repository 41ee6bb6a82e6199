#pragma once
// An illuminant spectrum read from a CGATS spectral file.

#include <QByteArray>
#include <QString>

#include <vector>

class IlluminantIF {
public:
    enum LoadError {
        LoadOk = 0,
        LoadCannotOpen = 1,
        LoadParseError = 2,     // message = the parser's error text
        LoadNoDataSets = 3,
        LoadNoSpectralFields = 4,
        LoadFieldsMissing = 5   // message lists the missing fields
    };

    virtual ~IlluminantIF() = default;
    // start, end and step in nm (0 while there are no values); null pointers are
    // skipped.
    virtual void range(int* start, int* end, int* step) const = 0;
    // Value i, 0 outside the range.
    virtual double value(int i) const = 0;
    virtual int start() const = 0;
    virtual int end() const = 0;
    virtual int step() const = 0;
    virtual QString name() const = 0;
    virtual void setName(const QString& name) = 0;
    // Reads the file; on success message = "<start>-<end>/<step> nm". On failure
    // the previous values are kept.
    virtual LoadError loadFromFile(const QString& path, QString& message) = 0;
};

class Illuminant : public IlluminantIF {
public:
    // Largest wavelength accepted in a spectral column name.
    static constexpr int MaxWavelength = 100000;

    Illuminant() = default;
    ~Illuminant() override;

    void range(int* start, int* end, int* step) const override;
    double value(int i) const override;
    int start() const override { return m_start; }
    int end() const override { return m_end; }
    int step() const override { return m_step; }
    QString name() const override { return m_name; }
    void setName(const QString& name) override { m_name = name; }
    // The file goes through the CGATS normaliser and VandrelithFile_Parser. The
    // spectral columns are those of the first prefix of "R_", "nm", "SPECTRAL_",
    // "SPEC_" that a column carries, followed by a wavelength in nm; the values
    // are the mean over all data sets.
    LoadError loadFromFile(const QString& path, QString& message) override;
    // The same for text in memory.
    LoadError loadFromText(const QByteArray& text, QString& message);

private:
    std::vector<double> m_values;
    int m_start = 0;
    int m_end = 0;
    int m_step = 0;
    QString m_name;
};

// A new empty illuminant, owned by the caller.
IlluminantIF* illuminantNew();
