#include "core/common/length_units.h"

namespace tesselog {

double DisplayUnitFactor(int32_t displayUnits) {
    switch (displayUnits) {
    case 1:
        return InternationalFoot;
    case 2:
        return UsSurveyFoot;
    default:
        return 1.0;
    }
}

double MetresToDisplayUnits(double metres, int32_t displayUnits) {
    // Divided, not multiplied by a reciprocal, so the working values are the
    // same doubles as ever.
    if (displayUnits == 1) return metres / InternationalFoot;
    if (displayUnits == 2) return metres / UsSurveyFoot;
    return metres;
}

double DisplayUnitsToMetres(double value, int32_t displayUnits) { return value * DisplayUnitFactor(displayUnits); }

double TotalStationToDisplayUnits(double value, char unitLetter, int32_t displayUnits) {
    if (displayUnits == 0 && unitLetter == 'F') return value * InternationalFoot;
    if ((displayUnits == 1 || displayUnits == 2) && unitLetter != 'F') return value * FeetPerMetre;
    return value;
}

}  // namespace tesselog
