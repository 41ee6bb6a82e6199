// Common base of the colour worlds.
#pragma once

#include "colour/Kirr_ColorWorldIF.h"

class Kirr_ColorWorld : public Kirr_ColorWorldIF
{
};
