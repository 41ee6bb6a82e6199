#include "colour/Kirr_illuminantTemperature.h"

int Kirr_illuminantTemperature(int illuminant)
{
    switch (illuminant) {
    case 1:
        return 5000;
    case 2:
        return 3000;
    case 3:
        return 6500;
    case 17:
        return 5500;
    case 18:
        return 7500;
    default:
        return 0;
    }
}
