// Whether a console sentence carries a sensor's value as a plain number. The
// reading handler finds its values by counting numeric tokens, so
// "$PBAR,ERR,0065" still gives a first value (65) and an empty second field
// gives 0.0; the sensor-health rules need to know that the field itself was
// empty or garbled, and look at it by its comma position instead.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tesselog {

enum class ReadingField : uint8_t {
    Good,       // blanks, an optional sign, digits with an optional decimal part
    Missing,    // no such field, or only blanks
    Malformed,  // anything else ("ERR", "0?6!", "--", "1.2.3")
};

// Field n (1 = the first value, after "$PBAR,") of the sentence, up to the
// next comma or the end.
ReadingField ClassifyReadingField(const char* sentence, size_t length, int n);
// The console's resolution as field n shows it: 1 for whole numbers
// ("0060"), 0.1 for one decimal ("-12.3"), 0.01 for two, and so on; 0 when
// the field is not Good. A console on its fine range writes tenths, on its
// coarse range whole nT.
double ReadingFieldStep(const char* sentence, size_t length, int n);

}  // namespace tesselog
