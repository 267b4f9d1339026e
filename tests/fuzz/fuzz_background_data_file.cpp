// Any bytes as a data file loaded as a background: recognised or not, and
// also converted as if recognised, the copy must hold exactly one 30-byte
// record per point; the bytes as one sentence of every mode must never give
// a point that is not a finite number.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/datafile/record_layout.h"
#include "core/existing/background_data_file.h"
#include "core/platform/memory_file_system.h"

using namespace tesselog;

namespace {

void Convert(const std::string& bytes, const MakerFormat& format, int32_t units, int32_t zone) {
    MemoryFileSystem fs;
    fs.Files[fs.Resolve("src")] = bytes;
    auto in = fs.Open("src", OpenMode::ReadExisting);
    auto copy = fs.Open("copy", OpenMode::ReadWriteAlways);
    MapState map;
    map.TileWidth = map.TileHeight = 100;
    BackgroundConversion r = ConvertMakerBackground(*in, format, *copy, units, zone, map);
    const std::string& out = fs.Files[fs.Resolve("copy")];
    if (r.PointCount < 0 || out.size() != static_cast<size_t>(r.PointCount) * BackgroundRecordLength) std::abort();
    if (!format.Recognised && r.PointCount != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const int32_t units = size > 0 ? data[size - 1] % 3 : 0;
    // The run's zone, or none fixed yet (and values no zone holds).
    const int32_t zone = size > 1 ? static_cast<int32_t>(data[size - 2]) - 64 : UtmZoneNotFixed;
    MemoryFileSystem fs;
    fs.Files[fs.Resolve("f")] = bytes;
    auto file = fs.Open("f", OpenMode::ReadExisting);
    const MakerFormat format = RecogniseMakerFile(*file);
    if (format.Recognised && format.SourceRecordLength != RecordLength) std::abort();
    Convert(bytes, format, units, zone);

    MakerFormat forced;
    forced.Recognised = true;
    forced.Family = MakerFamilyOwn;
    forced.SourceRecordLength = RecordLength;
    forced.HasOffsets = size > 0 && data[0] % 2 == 1;
    forced.OffsetX = size > 1 ? data[1] / 16.0 - 8.0 : 0.0;
    forced.OffsetY = size > 2 ? data[2] / 16.0 - 8.0 : 0.0;
    Convert(bytes, forced, units, zone);

    const std::string_view sentence(bytes.data(), std::min<size_t>(size, MakerSentenceMax));
    for (int mode = -1; mode <= 10; ++mode) {
        double e = 0.0, n = 0.0;
        if (MakerSentencePoint(sentence, mode, units - 1, units, zone, e, n) && (!std::isfinite(e) || !std::isfinite(n)))
            std::abort();
    }
    return 0;
}
