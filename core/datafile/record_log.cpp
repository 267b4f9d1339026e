#include "core/datafile/record_log.h"

#include <cstdio>
#include <string>

#include "core/datafile/record_layout.h"

namespace tesselog {

void RecordLog::Appended(const void* bytes, size_t n) {
    if (!file_ || n == 0) return;
    char stamp[24];
    std::snprintf(stamp, sizeof stamp, "%llu ", static_cast<unsigned long long>(clock_.Microseconds()));
    const char* data = static_cast<const char*>(bytes);
    std::string lines;
    lines.reserve(n + (n / RecordLength + 1) * sizeof stamp);
    size_t start = 0;
    for (size_t i = 0; i < n; ++i) {
        if (data[i] != '\n') continue;
        lines.append(stamp).append(data + start, i - start) += '\n';
        start = i + 1;
    }
    if (start < n) lines.append(stamp).append(data + start, n - start) += '\n';
    file_->Write(lines.data(), lines.size());
}

}  // namespace tesselog
