// Common base of the profile kinds: the answers for the operations that only
// DNG camera profiles support.
#pragma once

#include "colour/Kirr_ColorProfileIF.h"

class Kirr_ColorProfile : public Kirr_ColorProfileIF
{
public:
    bool isDCP() const override { return false; }
    int calibrationIlluminant1() const override { return 0; }
    int calibrationIlluminant2() const override { return 0; }
    double temperature() const override { return 0.0; }
    void setTemperature(double) override {}
};
