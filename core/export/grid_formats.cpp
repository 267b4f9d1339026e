#include "core/export/grid_formats.h"

#include <cmath>
#include <cstring>

#include "core/platform/file_system.h"

namespace tesselog {

namespace {

// Little-endian writers, whatever the machine's own order.
void Put16(std::string& out, uint32_t v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutDouble(std::string& out, double d) {
    uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    Put32(out, uint32_t(bits & 0xFFFFFFFFu));
    Put32(out, uint32_t(bits >> 32));
}
void PutFloat(std::string& out, float f) {
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    Put32(out, bits);
}
void PutTag(std::string& out, const char tag[5]) { out.append(tag, 4); }

// TIFF field types.
enum : uint16_t { Short = 3, Long = 4, Double = 12, Ascii = 2 };

struct TiffEntry {
    uint16_t Tag;
    uint16_t Type;
    uint32_t Count;
    std::string Data;  // the values' bytes; in the entry itself when at most 4
};

TiffEntry Shorts(uint16_t tag, const std::vector<uint16_t>& values) {
    TiffEntry e{tag, Short, uint32_t(values.size()), {}};
    for (uint16_t v : values) Put16(e.Data, v);
    return e;
}
TiffEntry OneLong(uint16_t tag, uint32_t value) {
    TiffEntry e{tag, Long, 1, {}};
    Put32(e.Data, value);
    return e;
}
TiffEntry Doubles(uint16_t tag, const std::vector<double>& values) {
    TiffEntry e{tag, Double, uint32_t(values.size()), {}};
    for (double v : values) PutDouble(e.Data, v);
    return e;
}
TiffEntry Text(uint16_t tag, const std::string& text) {
    TiffEntry e{tag, Ascii, uint32_t(text.size() + 1), text};
    e.Data += '\0';
    return e;
}

// GeoKeys: the directory's header, then (key, location 0, count 1, value).
std::vector<uint16_t> GeoKeys(const GeoTiffSystem& s) {
    std::vector<std::vector<uint16_t>> keys;
    keys.push_back({1024, 0, 1, 1});  // GTModelTypeGeoKey: projected
    keys.push_back({1025, 0, 1, 1});  // GTRasterTypeGeoKey: a pixel is an area
    if (s.Zone >= 1 && s.Zone <= 60 && s.Hemisphere != 0) {
        if (s.DisplayUnits == 0) {
            // ProjectedCSTypeGeoKey: WGS 84 / UTM, 326zz north, 327zz south.
            keys.push_back({3072, 0, 1, uint16_t((s.Hemisphere > 0 ? 32600 : 32700) + s.Zone)});
        } else {
            keys.push_back({2048, 0, 1, 4326});                  // GeographicTypeGeoKey: WGS 84
            keys.push_back({3072, 0, 1, 32767});                 // ProjectedCSTypeGeoKey: user-defined
            // ProjectionGeoKey: the UTM projection's own code, 160zz north, 161zz south.
            keys.push_back({3074, 0, 1, uint16_t((s.Hemisphere > 0 ? 16000 : 16100) + s.Zone)});
            keys.push_back({3076, 0, 1, uint16_t(s.DisplayUnits == 1 ? 9002 : 9003)});  // ProjLinearUnitsGeoKey
        }
    } else {
        keys.resize(1);
        keys[0] = {1024, 0, 1, 32767};  // a model of its own: no coordinate system
        keys.push_back({1025, 0, 1, 1});
    }
    std::vector<uint16_t> directory{1, 1, 0, uint16_t(keys.size())};
    for (const auto& k : keys) directory.insert(directory.end(), k.begin(), k.end());
    return directory;
}

// The bytes go out a row at a time through `flush`, which takes the text
// made so far and may empty it: a grid of tens of millions of cells is never
// held whole a second time.
template <typename Flush>
bool EmitSurferGrid(const QuickGrid& grid, Flush flush) {
    std::string out;
    const size_t cells = size_t(grid.Columns) * size_t(grid.Rows);
    double low = 0.0, high = 0.0;
    bool any = false;
    for (float v : grid.Values) {
        if (std::isnan(v)) continue;
        low = any ? std::min(low, double(v)) : double(v);
        high = any ? std::max(high, double(v)) : double(v);
        any = true;
    }
    PutTag(out, "DSRB");
    Put32(out, 4);
    Put32(out, 2);  // version: blanked nodes are those at or above the blank value
    PutTag(out, "GRID");
    Put32(out, 72);
    Put32(out, uint32_t(grid.Rows));
    Put32(out, uint32_t(grid.Columns));
    PutDouble(out, grid.West + grid.Cell / 2);
    PutDouble(out, grid.South + grid.Cell / 2);
    PutDouble(out, grid.Cell);
    PutDouble(out, grid.Cell);
    PutDouble(out, low);
    PutDouble(out, high);
    PutDouble(out, 0.0);  // rotation
    PutDouble(out, SurferNoData);
    PutTag(out, "DATA");
    Put32(out, uint32_t(cells * 8));
    for (int32_t fromSouth = 0; fromSouth < grid.Rows; ++fromSouth) {
        const int32_t row = grid.Rows - 1 - fromSouth;
        for (int32_t column = 0; column < grid.Columns; ++column) {
            const float v = grid.At(column, row);
            PutDouble(out, std::isnan(v) ? SurferNoData : double(v));
        }
        if (out.size() >= (size_t(1) << 20) && !flush(out)) return false;
    }
    return flush(out);
}

template <typename Flush>
bool EmitGeoTiff(const QuickGrid& grid, const GeoTiffSystem& system, Flush flush) {
    const uint32_t pixels = uint32_t(grid.Columns) * uint32_t(grid.Rows);
    std::vector<TiffEntry> entries = {
        OneLong(256, uint32_t(grid.Columns)),    // ImageWidth
        OneLong(257, uint32_t(grid.Rows)),       // ImageLength
        Shorts(258, {32}),                       // BitsPerSample
        Shorts(259, {1}),                        // Compression: none
        Shorts(262, {1}),                        // PhotometricInterpretation: black is zero
        OneLong(273, 0),                         // StripOffsets, set below
        Shorts(277, {1}),                        // SamplesPerPixel
        OneLong(278, uint32_t(grid.Rows)),       // RowsPerStrip: one strip
        OneLong(279, pixels * 4),                // StripByteCounts
        Shorts(284, {1}),                        // PlanarConfiguration
        Shorts(339, {3}),                        // SampleFormat: IEEE floating point
        Doubles(33550, {grid.Cell, grid.Cell, 0.0}),  // ModelPixelScaleTag
        Doubles(33922, {0.0, 0.0, 0.0, grid.West, grid.South + grid.Cell * grid.Rows, 0.0}),  // ModelTiepointTag
        Shorts(34735, GeoKeys(system)),          // GeoKeyDirectoryTag
        Text(42113, "-9999"),                    // GDAL_NODATA
    };
    // Header, directory, the values that do not fit in their entries, the strip.
    const uint32_t directorySize = 2 + 12 * uint32_t(entries.size()) + 4;
    uint32_t extra = 8 + directorySize;
    std::vector<uint32_t> offsets(entries.size(), 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].Data.size() <= 4) continue;
        offsets[i] = extra;
        extra += uint32_t(entries[i].Data.size() + entries[i].Data.size() % 2);
    }
    const uint32_t strip = extra;
    entries[5].Data.clear();
    Put32(entries[5].Data, strip);
    std::string out;
    out += "II";
    Put16(out, 42);
    Put32(out, 8);
    Put16(out, uint32_t(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const TiffEntry& e = entries[i];
        Put16(out, e.Tag);
        Put16(out, e.Type);
        Put32(out, e.Count);
        if (e.Data.size() <= 4) {
            std::string inline4 = e.Data;
            inline4.resize(4, '\0');
            out += inline4;
        } else {
            Put32(out, offsets[i]);
        }
    }
    Put32(out, 0);  // no further directory
    for (const TiffEntry& e : entries) {
        if (e.Data.size() <= 4) continue;
        out += e.Data;
        if (e.Data.size() % 2 == 1) out += '\0';
    }
    for (size_t i = 0; i < grid.Values.size(); ++i) {
        const float v = grid.Values[i];
        PutFloat(out, std::isnan(v) ? -9999.0f : v);
        if (out.size() >= (size_t(1) << 20) && !flush(out)) return false;
    }
    return flush(out);
}

// A flush into a file, in pieces of about 1 MiB.
struct ToFile {
    File& Target;
    bool operator()(std::string& bytes) const {
        const bool ok = bytes.empty() || Target.Write(bytes.data(), bytes.size());
        bytes.clear();
        return ok;
    }
};

// A flush that keeps everything.
struct ToString {
    std::string& Target;
    bool operator()(std::string& bytes) const {
        Target += bytes;
        bytes.clear();
        return true;
    }
};

}  // namespace

std::string SurferGridBytes(const QuickGrid& grid) {
    std::string all;
    EmitSurferGrid(grid, ToString{all});
    return all;
}

std::string GeoTiffBytes(const QuickGrid& grid, const GeoTiffSystem& system) {
    std::string all;
    EmitGeoTiff(grid, system, ToString{all});
    return all;
}

bool WriteSurferGrid(File& file, const QuickGrid& grid) { return EmitSurferGrid(grid, ToFile{file}) && file.Flush(); }

bool WriteGeoTiff(File& file, const QuickGrid& grid, const GeoTiffSystem& system) {
    return EmitGeoTiff(grid, system, ToFile{file}) && file.Flush();
}

}  // namespace tesselog
