// Any bytes as a column-delimited background file, with the options taken
// from the first bytes: the copy must hold exactly one 30-byte record per
// point and break, read back as many, and the names made from the bytes
// must stay within their bounds.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/existing/background_files.h"
#include "core/platform/memory_file_system.h"

using namespace tesselog;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    BackgroundOptions o;
    o.CoordType = data[0] % 4;
    o.Delimiter = (data[0] / 4) % 4;
    o.DisplayUnits = (data[0] / 16) % 3;
    o.LatColumn = data[1] % 24;
    o.LonColumn = data[2] % 24;
    // The run's zone, or none fixed yet (and values no zone holds).
    o.Zone = static_cast<int32_t>(data[0]) - 64;
    const std::string text(reinterpret_cast<const char*>(data) + 3, size - 3);

    MemoryFileSystem fs;
    fs.Files[fs.Resolve("src")] = text;
    auto in = fs.Open("src", OpenMode::ReadExisting);
    auto copy = fs.Open("copy", OpenMode::ReadWriteAlways);
    MapState map;
    map.TileWidth = map.TileHeight = 1 + data[1] % 200;
    map.Scale = 0.01 + data[2];
    BackgroundConversion r = ConvertAsciiBackground(*in, *copy, o, map);

    const std::string& bytes = fs.Files[fs.Resolve("copy")];
    const size_t records = static_cast<size_t>(r.PointCount) + static_cast<size_t>(r.BreakCount);
    if (r.PointCount < 0 || r.WriteFailed || bytes.size() != records * BackgroundRecordLength) std::abort();
    for (size_t at = 0; at < bytes.size(); at += BackgroundRecordLength)
        if (bytes[at + 14] != ',' || bytes[at + 29] != '\n') std::abort();
    copy->SeekToStart();
    BackgroundCopyReader reader(*copy, 1 + data[0] % 7);
    BackgroundPoint p;
    size_t read = 0;
    while (reader.Next(p)) ++read;
    if (read != records) std::abort();
    // Only points on the map make the range the file would add to the track.
    if (r.HasRange && !RangeFitsMap(map, r.Range)) std::abort();

    if (BackgroundCopyName(text, data[0]).size() > BackgroundNameMax) std::abort();
    if (BackgroundDisplayName(text).size() > BackgroundNameMax) std::abort();
    return 0;
}
