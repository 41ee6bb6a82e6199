#pragma once
// CGATS parser for the program's own files: besides plain CGATS it reads the
// LINEARIZATION: block (CYAN:, MAGENTA:, YELLOW:, BLACK: with ten numbers each),
// the BEGIN_SPECTRUM block (SPECTRUM_START, SPECTRUM_END, SPECTRUM_INC up to
// END_SPECTRUM, which declares the columns R_<nm> of that range, both ends
// included), RELATIVE_PATCH_POSITIONS_TR_YF "text", and knows the field names
// CMY_C, CMY_M, CMY_Y and R_300 .. R_800 (every 5 nm).

#include "chart/ISO12642_Parser.h"

class VandrelithFile_Parser : public ISO12642_Parser {
public:
    enum LinearizationColourE { LinCyan = 0, LinMagenta = 1, LinYellow = 2, LinBlack = 3 };
    static constexpr int LinearizationValues = 10;

    explicit VandrelithFile_Parser(ISO12642_Scanner* scanner);
    ~VandrelithFile_Parser() override;

    int handleUnknownKeyword(const QString& name) override;

    QString relativePatchPositions() const { return m_relativePatchPositions; }
    // SPECTRUM_START, SPECTRUM_END, SPECTRUM_INC in nm; 0 when not given.
    int spectrumStart() const { return m_spectrumStart; }
    int spectrumEnd() const { return m_spectrumEnd; }
    int spectrumInc() const { return m_spectrumInc; }
    void setSpectrumStart(int nm) { m_spectrumStart = nm; }
    void setSpectrumEnd(int nm) { m_spectrumEnd = nm; }
    void setSpectrumInc(int nm) { m_spectrumInc = nm; }
    // True when the file gave the linearisation row of that colour.
    bool hasLinearization(int colour) const;
    // Value i (0..9) of a colour's linearisation row; 0 outside the table.
    double linearization(int colour, int i) const;

private:
    int readLinearization();
    int readSpectrumBlock();

    QString m_relativePatchPositions;
    int m_spectrumStart = 0;
    int m_spectrumEnd = 0;
    int m_spectrumInc = 0;
    double m_linearization[4][LinearizationValues] = {};
    bool m_linearizationGiven[4] = {};
};
