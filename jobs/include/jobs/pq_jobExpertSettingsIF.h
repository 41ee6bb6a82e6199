// A job's expert settings as the profiling run reads them: the effective
// value of each setting and the engine indexes derived from them.
#pragma once

#include <QString>

class pq_jobExpertSettingsIF
{
public:
    virtual ~pq_jobExpertSettingsIF() = default;

    virtual QString profileTypeCamera() const = 0;
    virtual QString profileTypeC1() const = 0;
    virtual QString profileTypeICC() const = 0;
    virtual QString profileOptimization() const = 0;
    virtual QString qualityControl() const = 0;
    virtual QString shading() const = 0;
    virtual QString batchMode() const = 0;
    virtual QString illuminantCamera() const = 0;
    virtual QString illuminantICC() const = 0;
    virtual QString exposureOffset() const = 0;
    virtual QString whitePoint() const = 0;
    virtual QString connectionSpace() const = 0;
    virtual QString grayWeight() const = 0;
    virtual QString observer() const = 0;
    virtual bool flag() const = 0;

    virtual int cameraProfileTypeIndex() const = 0;
    virtual int c1ProfileTypeIndex() const = 0;
    virtual bool isC1TypeSevenOrEight() const = 0;
    virtual bool isC1TypeSixEightOrNine() const = 0;
    virtual int iccProfileTypeIndex() const = 0;
    virtual int deltaEFormula() const = 0;
    virtual int cameraIlluminantIndex() const = 0;
    virtual int iccIlluminantIndex() const = 0;
    virtual double exposureOffsetValue() const = 0;
    virtual bool isConnectionSpaceXYZ() const = 0;
    virtual int grayWeightIndex() const = 0;
    virtual int observerIndex() const = 0;
    virtual bool isWhitePointAutoExposure() const = 0;
};
