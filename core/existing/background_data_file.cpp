#include "core/existing/background_data_file.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>

#include "core/datafile/record_layout.h"
#include "core/gps/coordinates.h"
#include "core/gps/nmea_mode.h"

namespace tesselog {

namespace {

constexpr size_t RecognitionBytes = 64;
constexpr size_t TagSearchBytes = 8;
constexpr char OwnTag[] = "TE";
// Columns of the own family's GPS configuration record.
constexpr size_t OwnModeColumn = 17;
constexpr size_t OwnUnitColumn = 19;
constexpr size_t SourceBlockRecords = 38836;  // about 1 MiB of 27-byte records
constexpr int UnitDigitOther = -2;            // neither a digit nor a blank

constexpr double FeetToUsFeet = 0.99999803149994;

enum class SentenceKind { Geodetic, Grid, TotalStation, StationRecord };

// How each mode's sentence holds its position: the id and the field numbers
// (latitude, its hemisphere, longitude, its hemisphere; or northing, easting).
struct SentenceLayout {
    const char* Id;
    SentenceKind Kind;
    int Fields[4];
};

const SentenceLayout* LayoutOf(int mode) {
    static const SentenceLayout layouts[] = {
        {"GGA", SentenceKind::Geodetic, {3, 4, 5, 6}},      // 0
        {"GGA", SentenceKind::Geodetic, {3, 4, 5, 6}},      // 1
        {"POS", SentenceKind::Geodetic, {6, 7, 8, 9}},      // 2
        {"LLK", SentenceKind::Grid, {6, 4, 0, 0}},          // 3
        {"LLQ", SentenceKind::Grid, {6, 4, 0, 0}},          // 4
        {"GLL", SentenceKind::Geodetic, {2, 3, 4, 5}},      // 5
        {"GGK", SentenceKind::Geodetic, {5, 6, 7, 8}},      // 6
        {"GGA", SentenceKind::TotalStation, {3, 5, 11, 0}}, // 7: unit letter in field 11
        {"GLL", SentenceKind::Geodetic, {2, 3, 4, 5}},      // 8, pseudo GLL
        {">", SentenceKind::StationRecord, {0, 0, 0, 0}},   // 9
    };
    return mode >= 0 && mode <= 9 ? &layouts[mode] : nullptr;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// ddmm.mmmm (degreeDigits 2) or dddmm.mmmm (3): unsigned degrees.
bool DegreesOf(std::string_view field, size_t degreeDigits, double& degrees) {
    if (field.size() <= degreeDigits) return false;
    double whole = 0.0;
    for (size_t i = 0; i < degreeDigits; ++i) {
        if (field[i] < '0' || field[i] > '9') return false;
        whole = whole * 10.0 + (field[i] - '0');
    }
    double minutes = 0.0;
    const char lead = field[degreeDigits];
    if (lead == '+' || lead == '-' || !ParseBackgroundNumber(field.substr(degreeDigits), minutes)) return false;
    degrees = whole + minutes / 60.0;
    return true;
}

bool NumberField(std::string_view sentence, int n, double& value) {
    std::string_view field;
    return GetField(sentence, n, ',', field) == 1 && ParseBackgroundNumber(TrimTrailingBlanks(field), value);
}

bool GeodeticPoint(std::string_view s, const int f[4], int32_t units, int32_t zone, double& easting,
                   double& northing) {
    std::string_view lat, latHemisphere, lon, lonHemisphere;
    if (GetField(s, f[0], ',', lat) != 1 || GetField(s, f[2], ',', lon) != 1) return false;
    double latitude = 0.0, longitude = 0.0;
    if (!DegreesOf(TrimTrailingBlanks(lat), 2, latitude) || !DegreesOf(TrimTrailingBlanks(lon), 3, longitude))
        return false;
    if (GetField(s, f[1], ',', latHemisphere) == 1 && !latHemisphere.empty() && latHemisphere[0] == 'S')
        latitude = -latitude;
    if (GetField(s, f[3], ',', lonHemisphere) == 1 && !lonHemisphere.empty() && lonHemisphere[0] == 'W')
        longitude = -longitude;
    double n = 0.0, e = 0.0;
    BackgroundGeodeticToMetres(latitude, longitude, zone, n, e);
    northing = BackgroundMetresToDisplay(n, units);
    easting = BackgroundMetresToDisplay(e, units);
    return true;
}

// The number after `key` up to the next comma.
bool KeyedNumber(std::string_view s, std::string_view key, double& value) {
    const size_t at = s.find(key);
    if (at == std::string_view::npos) return false;
    std::string_view rest = s.substr(at + key.size());
    return ParseBackgroundNumber(TrimTrailingBlanks(rest.substr(0, rest.find(','))), value);
}

double RecordedUnitToMetres(int unitDigit) {
    if (unitDigit == 1) return InternationalFoot;
    if (unitDigit == 2) return UsSurveyFoot;
    return 1.0;
}

int UnitDigitOf(uint8_t byte) {
    if (byte >= '0' && byte <= '9') return byte - '0';
    return byte == ' ' ? -1 : UnitDigitOther;
}

int ModeOf(uint8_t byte) {
    if (byte >= '0' && byte <= '9') return byte - '0';
    return byte == 'A' ? NmeaModePseudoGll : -1;
}

}  // namespace

MakerFormat RecogniseMakerFile(File& source) {
    MakerFormat format;
    uint8_t head[RecognitionBytes];
    size_t got = 0;
    source.SeekToStart();
    while (got < sizeof head) {
        const size_t n = source.Read(head + got, sizeof head - got);
        if (n == 0 || n > sizeof head - got) break;
        got += n;
    }
    source.SeekToStart();
    const void* lf = std::memchr(head, '\n', std::min<size_t>(got, MakerFirstLfLimit + 1));
    if (lf == nullptr) return format;
    format.SourceRecordLength = static_cast<int>(static_cast<const uint8_t*>(lf) - head) + 1;
    const std::string_view first(reinterpret_cast<const char*>(head), std::min(got, TagSearchBytes));
    if (first.find(OwnTag) != std::string_view::npos && format.SourceRecordLength == RecordLength) {
        format.Recognised = true;
        format.Family = MakerFamilyOwn;
    }
    return format;
}

// Pseudo-GGA values carry their unit letter in field 11, read as the GPS
// reader reads it: "F" is international feet, any other letter metres. For
// metres and a unit digit of -1 or 0 the factors are 1.0, 3.28084 and
// 3.2808333333333355 by DisplayUnits, as the maker's loggers use them. Feet
// go to metres, feet and US survey feet by 0.3048, 1.0 and 0.99999803149994,
// the factors of the text conversion. A unit digit of 1 is taken the same
// way (the letter names the unit); any other digit leaves the values as
// recorded.
double TotalStationBackgroundFactor(int unitDigit, char unitLetter, int32_t displayUnits) {
    if (unitDigit < -1 || unitDigit > 1) return 1.0;
    const int u = (displayUnits == 1 || displayUnits == 2) ? displayUnits : 0;
    static const double fromFeet[3] = {InternationalFoot, 1.0, FeetToUsFeet};
    static const double fromMetres[3] = {1.0, 3.28084, 3.2808333333333355};
    return unitLetter == 'F' ? fromFeet[u] : fromMetres[u];
}

namespace {

bool SentencePoint(std::string_view sentence, int mode, int unitDigit, int32_t displayUnits, int32_t zone,
                   double& easting, double& northing) {
    const SentenceLayout* layout = LayoutOf(mode);
    if (layout == nullptr || sentence.find(layout->Id) == std::string_view::npos) return false;
    double n = 0.0, e = 0.0;
    switch (layout->Kind) {
    case SentenceKind::Geodetic:
        return GeodeticPoint(sentence, layout->Fields, displayUnits, zone, easting, northing);
    case SentenceKind::Grid:
        if (!NumberField(sentence, layout->Fields[0], n) || !NumberField(sentence, layout->Fields[1], e)) return false;
        northing = BackgroundMetresToDisplay(n, displayUnits);
        easting = BackgroundMetresToDisplay(e, displayUnits);
        return true;
    case SentenceKind::TotalStation: {
        if (!NumberField(sentence, layout->Fields[0], n) || !NumberField(sentence, layout->Fields[1], e)) return false;
        std::string_view unit;
        const char letter = GetField(sentence, layout->Fields[2], ',', unit) == 1 && !unit.empty() ? unit[0] : 0;
        const double factor = TotalStationBackgroundFactor(unitDigit, letter, displayUnits);
        northing = n * factor;
        easting = e * factor;
        return true;
    }
    case SentenceKind::StationRecord: {
        if (!KeyedNumber(sentence, "37=", n) || !KeyedNumber(sentence, "38=", e)) return false;
        const double toMetres = RecordedUnitToMetres(unitDigit);
        northing = BackgroundMetresToDisplay(n * toMetres, displayUnits);
        easting = BackgroundMetresToDisplay(e * toMetres, displayUnits);
        return true;
    }
    }
    return false;
}

}  // namespace

// An absurd latitude projects to no number at all: no point either.
bool MakerSentencePoint(std::string_view sentence, int mode, int unitDigit, int32_t displayUnits, int32_t zone,
                        double& easting, double& northing) {
    double e = 0.0, n = 0.0;
    if (!SentencePoint(sentence, mode, unitDigit, displayUnits, zone, e, n) || !std::isfinite(e) || !std::isfinite(n))
        return false;
    easting = e;
    northing = n;
    return true;
}

namespace {

// Rebuilds the sentences of the GPS records and writes their points.
class SentencePass {
public:
    SentencePass(const MakerFormat& format, int32_t units, int32_t zone, BackgroundCopyWriter& writer,
                 BackgroundExtent& extent, BackgroundConversion& result)
        : format_(format), units_(units), zone_(zone), writer_(writer), extent_(extent), result_(result),
          corrector_(BackgroundMetresToDisplay(format.OffsetX, units),
                     BackgroundMetresToDisplay(format.OffsetY, units)) {}

    // Records before the first "G" only look for it.
    void Take(const uint8_t* record) {
        if (mode_ < -1) {
            if (record[0] == TypeGeometry) Configure(record);
            return;
        }
        const std::string_view piece(reinterpret_cast<const char*>(record) + 1, format_.SourceRecordLength - 2);
        switch (record[0]) {
        case TypeGpsPosition:
            sentence_.assign(piece);
            open_ = true;
            break;
        case TypeGpsPositionNext:
            if (!open_) break;
            if (sentence_.size() + piece.size() > MakerSentenceMax) open_ = false;
            else sentence_.append(piece);
            break;
        case TypeGpsRejected:
        case TypeGpsRejectedNext: open_ = false; break;
        case TypeGpsTrailer:
            if (open_) Convert(TrimTrailingBlanks(sentence_));
            open_ = false;
            break;
        default: break;
        }
    }

private:
    void Configure(const uint8_t* record) {
        mode_ = ModeOf(record[OwnModeColumn]);
        unitDigit_ = UnitDigitOf(record[OwnUnitColumn]);
    }

    void Convert(std::string_view sentence) {
        double e = 0.0, n = 0.0;
        if (!MakerSentencePoint(sentence, mode_, unitDigit_, units_, zone_, e, n)) return;
        if (format_.HasOffsets && (!corrector_.Take(e, n, e, n) || !std::isfinite(e) || !std::isfinite(n))) return;
        writer_.Point(e, n);
        ++result_.PointCount;
        extent_.Take(e, n);
    }

    const MakerFormat& format_;
    int32_t units_;
    int32_t zone_;
    BackgroundCopyWriter& writer_;
    BackgroundExtent& extent_;
    BackgroundConversion& result_;
    AntennaOffsetCorrector corrector_;
    int mode_ = -2;  // -2 before the "G" record, -1 for a mode not known
    int unitDigit_ = -1;
    std::string sentence_;
    bool open_ = false;
};

}  // namespace

BackgroundConversion ConvertMakerBackground(File& source, const MakerFormat& format, File& copy,
                                            int32_t displayUnits, int32_t zone, const MapState& map) {
    BackgroundConversion result;
    // The own family's records are the only layout known.
    if (!format.Recognised || format.Family != MakerFamilyOwn || format.SourceRecordLength != RecordLength)
        return result;
    BackgroundCopyWriter writer(copy);
    BackgroundExtent extent(map);
    SentencePass pass(format, displayUnits, zone, writer, extent, result);
    source.SeekToStart();
    BlockRecordReader records(BytesFromFile(source), static_cast<size_t>(format.SourceRecordLength), SourceBlockRecords);
    while (result.PointCount < BackgroundCountMax) {
        const uint8_t* record = records.Next();
        if (record == nullptr) break;
        pass.Take(record);
    }
    result.WriteFailed = !writer.Flush();
    extent.Finish(result);
    return result;
}

// ------------------------------------------------------------------ antenna offsets

bool AntennaOffsetCorrector::Take(double easting, double northing, double& outEasting, double& outNorthing) {
    return y_ > 0.0 ? TakeBehind(easting, northing, outEasting, outNorthing)
                    : TakeAhead(easting, northing, outEasting, outNorthing);
}

// u from the previous position; a step of no length keeps the last direction.
bool AntennaOffsetCorrector::TakeAhead(double e, double n, double& oe, double& on) {
    if (havePrevious_) {
        const double de = e - previousE_, dn = n - previousN_;
        const double length = std::hypot(de, dn);
        if (length > 0.0) {
            ue_ = de / length;
            un_ = dn / length;
            haveDirection_ = true;
        }
    }
    const bool first = !havePrevious_;
    havePrevious_ = true;
    previousE_ = e;
    previousN_ = n;
    if (first || !haveDirection_) return false;
    oe = e - y_ * ue_ - x_ * un_;
    on = n - y_ * un_ + x_ * ue_;
    return true;
}

bool AntennaOffsetCorrector::TakeBehind(double e, double n, double& oe, double& on) {
    const double length = history_.empty() ? 0.0 : history_.back().Length + std::hypot(e - history_.back().E,
                                                                                     n - history_.back().N);
    history_.push_back({e, n, length});
    if (history_.size() > HistoryMax) Rebase(HistoryDrop);
    const double total = history_.back().Length;
    size_t i = 0;
    while (i < history_.size() && total - history_[i].Length > y_) ++i;
    if (i == 0 || i >= history_.size()) return false;  // the path is still shorter than Y
    const Entry& a = history_[i - 1];
    const Entry& b = history_[i];
    const double de = b.E - a.E, dn = b.N - a.N;
    const double segment = std::hypot(de, dn);
    if (!(segment > 0.0)) return false;
    const double r = y_ - (total - b.Length);  // before position i
    const double ue = de / segment, un = dn / segment;
    oe = a.E + (segment - r) * ue - x_ * un;
    on = a.N + (segment - r) * un + x_ * ue;
    if (i > HistoryDrop) Rebase(i - 1);
    return true;
}

void AntennaOffsetCorrector::Rebase(size_t first) {
    if (first == 0 || first >= history_.size()) return;
    history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(first));
    const double base = history_.front().Length;
    for (Entry& entry : history_) entry.Length -= base;
}

}  // namespace tesselog
