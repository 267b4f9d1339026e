#include "tools/sim/pacing.h"

#include <algorithm>
#include <cmath>

namespace tesselog::sim {

double LineBytesPerSecond(int baud, int data_bits, bool parity, int stop_bits)
{
    return baud / static_cast<double>(1 + data_bits + (parity ? 1 : 0) + stop_bits);
}

double MaxSentenceRate(double bytes_per_second, size_t sentence_bytes)
{
    return sentence_bytes == 0 ? 0.0 : std::floor(bytes_per_second / static_cast<double>(sentence_bytes));
}

RateLimit ClampRate(double requested, double bytes_per_second, size_t sentence_bytes)
{
    const double limit = MaxSentenceRate(bytes_per_second, sentence_bytes);
    if (requested > limit) {
        return {limit, true};
    }
    return {requested, false};
}

double LinePacer::Schedule(double seconds, size_t bytes)
{
    const double start = std::max(seconds, free_at_);
    free_at_ = start + static_cast<double>(bytes) / bytes_per_second_;
    return start;
}

size_t BytesDue(double start, size_t length, double now, double bytes_per_second)
{
    if (now < start) {
        return 0;
    }
    const double due = std::floor((now - start) * bytes_per_second) + 1.0;
    return due >= static_cast<double>(length) ? length : static_cast<size_t>(due);
}

}  // namespace tesselog::sim
