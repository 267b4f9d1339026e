#include "core/export/line_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/common/length_units.h"
#include "core/export/export_text.h"
#include "core/export/traverses.h"
#include "core/platform/file_system.h"
#include "core/qc/field_qc.h"

namespace tesselog {

namespace {

constexpr int64_t MsPerDay = 86400000;
// A gap longer than this many sample periods is a dropout.
constexpr uint32_t DropoutPeriods = 3;
// The shortest stretch over which the fastest speed is measured.
constexpr int64_t FastestStretchMs = 5000;
// A position sentence holds at most this long; beyond it there is no fix.
constexpr uint32_t FixHoldMs = 3000;
constexpr size_t OtherQualities = 10;
// Gaps are kept in milliseconds up to this; a longer one is kept as this.
constexpr uint32_t GapLimit = 65535;
// The path counts a step once it has moved this far from the last one counted.
constexpr double CountedStepMetres = 0.5;

size_t QualitySlot(int32_t quality) {
    return quality >= 0 && quality <= 9 ? size_t(quality) : OtherQualities;
}

double MedianOf(std::vector<float>& values) {
    if (values.empty()) return 0.0;
    const size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + half, values.end());
    const double upper = values[half];
    if (values.size() % 2 == 1) return upper;
    const double lower = *std::max_element(values.begin(), values.begin() + half);
    return (lower + upper) / 2;
}

// A sensor's faults in words, the most important first as the status area
// lists them: "no value+frozen".
std::string FaultWords(uint32_t faults) {
    static constexpr uint32_t Order[] = {SensorFieldBad, SensorSaturated, SensorFrozen, SensorNoisy};
    std::string words;
    for (uint32_t fault : Order) {
        if (!(faults & fault)) continue;
        if (!words.empty()) words += '+';
        words += SensorReasonWord(SensorFaultKind(fault));
    }
    return words;
}

void SplitTime(int64_t at, int32_t& day, int32_t& ms) {
    if (at < 0) return;
    day = static_cast<int32_t>(at / MsPerDay);
    ms = static_cast<int32_t>(at % MsPerDay);
}

}  // namespace

bool MaskPasses(const GpsMask& mask, const FixStatus& status) {
    if (!status.Valid) return false;
    // The mask does not apply to GLL, the total station and pseudo-GLL.
    if (!mask.On || status.NmeaMode == 5 || status.NmeaMode == 7 || status.NmeaMode == 8) return true;
    return status.Satellites >= mask.MinSatellites && status.Dilution <= mask.MaxDilution &&
           status.Quality >= mask.MinQuality;
}

int32_t QualityRank(int32_t quality) {
    switch (quality) {
    case 4: return 7;  // RTK fixed
    case 5: return 6;  // RTK float
    case 2: return 5;  // DGPS
    case 3: return 4;  // PPS
    case 1: return 3;  // GPS
    case 0: return 0;  // no fix
    default: return quality > 0 ? 2 : 1;
    }
}

std::string QualityName(int32_t quality) {
    switch (quality) {
    case 0: return "no fix";
    case 1: return "GPS";
    case 2: return "DGPS";
    case 3: return "PPS";
    case 4: return "RTK fixed";
    case 5: return "RTK float";
    default: return "code " + std::to_string(quality);
    }
}

LineReport::LineReport(const SurveyWalk& walk, const GpsMask& mask, const SensorHealthLimits& limits)
    : walk_(walk), mask_(mask), flags_(limits) {}

LineReport::~LineReport() = default;

int32_t LineReport::KeyOf(int32_t block) {
    const std::vector<SurveyLine>& blocks = walk_.Lines();
    while (blockKeys_.size() <= size_t(block) && blockKeys_.size() < blocks.size()) {
        const SurveyLine& line = blocks[blockKeys_.size()];
        const auto inserted = keys_.emplace(std::make_pair(line.Session, line.Name), int32_t(lines_.size()));
        if (inserted.second) {
            lines_.emplace_back();
            lines_.back().Session = line.Session;
            lines_.back().Name = line.Name;
            data_.emplace_back();
        }
        ++lines_[size_t(inserted.first->second)].Blocks;
        blockKeys_.push_back(inserted.first->second);
    }
    return block >= 0 && size_t(block) < blockKeys_.size() ? blockKeys_[size_t(block)] : -1;
}

LineReport::SensorData& LineReport::SensorOf(int32_t key, int32_t sensor) {
    LineData& d = data_[size_t(key)];
    if (d.Sensors.size() < size_t(sensor)) d.Sensors.resize(size_t(sensor));
    sensorColumns_ = std::max(sensorColumns_, sensor);
    return d.Sensors[size_t(sensor) - 1];
}

void LineReport::Reading(const PositionedReading& r) {
    const int32_t key = KeyOf(r.Line);
    if (key < 0 || r.Sensor < 1 || r.Sensor > MaxSensors) return;
    LineData& d = data_[size_t(key)];
    SensorData& s = SensorOf(key, r.Sensor);
    ++s.Count;
    s.Sum += r.Value;
    s.SumSquares += r.Value * r.Value;
    s.Values.push_back(static_cast<float>(r.Value));
    ++lines_[size_t(key)].Readings;
    if (r.Day >= 0 && r.TimeMs >= 0) {
        const int64_t at = r.Day * MsPerDay + r.TimeMs;
        d.First = d.First < 0 ? at : std::min(d.First, at);
        d.Last = std::max(d.Last, at);
    }

    // One gap per reading record: at the console's first sensor.
    const int32_t console = r.Console - 1;
    if (console < 0 || console >= MaxConsoles) return;
    if (r.Sensor != walk_.Header().Sensors.ConsoleFirstSensor[console] + 1 || !r.HasTick) return;
    if (r.Session != consoleSession_) {
        consoleSession_ = r.Session;
        for (ConsoleClock& c : consoles_) c.Have = false;
        for (int32_t k = 0; k < MaxConsoles; ++k) consoleGaps_[k] = &gaps_[{r.Session, k + 1}];
    }
    ConsoleClock& c = consoles_[console];
    if (c.Have && c.Run == r.Run) {
        Gaps& gaps = *consoleGaps_[console];
        if (gaps.Lines.empty() || gaps.Lines.back().second != key) gaps.Lines.emplace_back(gaps.Values.size(), key);
        gaps.Values.push_back(static_cast<uint16_t>(std::min(r.Tick - c.Tick, GapLimit)));
    }
    c = {true, r.Run, r.Tick};
}

void LineReport::Position(const FixStatus& status) {
    const int32_t key = KeyOf(status.Line);
    if (key >= 0 && status.Valid && status.Day >= 0 && status.TimeMs >= 0) {
        LineData& d = data_[size_t(key)];
        const int64_t at = status.Day * MsPerDay + status.TimeMs;
        d.FirstFix = d.FirstFix < 0 ? at : std::min(d.FirstFix, at);
        d.LastFix = std::max(d.LastFix, at);
    }
    if (status.Valid && (best_ < 0 || QualityRank(status.Quality) > QualityRank(best_))) best_ = status.Quality;
    if (lastFix_.Have && lastFix_.Run == status.Run && status.HasTick && lastFix_.Key >= 0) {
        const uint32_t gap = status.Tick - lastFix_.Tick;
        if (gap < 0x80000000u) {
            const double held = std::min(gap, FixHoldMs) / 1000.0;
            const double none = (gap - std::min(gap, FixHoldMs)) / 1000.0;
            LineSummary& line = lines_[size_t(lastFix_.Key)];
            LineData& d = data_[size_t(lastFix_.Key)];
            d.QualitySeconds[QualitySlot(lastFix_.Quality)] += held;
            d.NoFixSeconds += none;
            line.FixSeconds += held + none;
            line.MaskFailedS += (lastFix_.Passed ? 0.0 : held) + none;
        }
    }
    lastFix_ = {status.HasTick, status.Run, status.Tick, key, MaskPasses(mask_, status),
                status.Valid ? status.Quality : 0};
}

void LineReport::Break(const BreakEvent& event) {
    const int32_t key = KeyOf(event.Line);
    if (key >= 0) ++lines_[size_t(key)].Breaks;
}

namespace {

// Edges begin..end-1 of one run of one line: their times from the first and
// the length of the array's path up to each, a step counted once the centre
// has moved `step` from where the last counted one ended (and up to its
// place since then).
void CountedPath(const std::vector<TimedEdge>& edges, size_t begin, size_t end, double step,
                 std::vector<int64_t>& times, std::vector<double>& path) {
    const auto centre = [&edges](size_t i) {
        const SwathEdge& e = edges[i].Edge;
        return SwathPoint{(e.Left.X + e.Right.X) / 2, (e.Left.Y + e.Right.Y) / 2};
    };
    times.assign(1, 0);
    path.assign(1, 0.0);
    SwathPoint counted = centre(begin);
    double length = 0.0;
    for (size_t i = begin + 1; i < end; ++i) {
        const SwathPoint here = centre(i);
        const double beyond = std::hypot(here.X - counted.X, here.Y - counted.Y);
        if (beyond >= step) {
            length += beyond;
            counted = here;
        }
        times.push_back(times.back() + static_cast<int32_t>(edges[i].Tick - edges[i - 1].Tick));
        path.push_back(length + (beyond >= step ? 0.0 : beyond));
    }
}

}  // namespace

// The array's path from the timeline: its length per line, and per run of
// a line the fastest stretch.
void LineReport::Measure() {
    const std::vector<TimedEdge>& edges = walk_.Timeline();
    const double step = MetresToDisplayUnits(CountedStepMetres, walk_.Header().DisplayUnits);
    size_t begin = 0;
    std::vector<int64_t> times;
    std::vector<double> path;
    while (begin < edges.size()) {
        size_t end = begin;
        while (end < edges.size() && edges[end].Run == edges[begin].Run && edges[end].Line == edges[begin].Line) ++end;
        const int32_t key = KeyOf(edges[begin].Line);
        CountedPath(edges, begin, end, step, times, path);
        if (key >= 0 && end - begin >= 2) {
            LineSummary& line = lines_[size_t(key)];
            line.Length += path.back();
            const size_t n = times.size();
            for (size_t i = 0, j = 0; i < n; ++i) {
                while (j < n && times[j] - times[i] < FastestStretchMs) ++j;
                size_t last = j;
                if (j == n) {
                    if (i > 0 || times[n - 1] - times[0] >= FastestStretchMs) break;
                    last = n - 1;  // a run shorter than the stretch counts whole
                }
                const int64_t dt = times[last] - times[i];
                if (dt <= 0) continue;
                const double speed = (path[last] - path[i]) / (double(dt) / 1000.0);
                if (speed > line.FastestSpeed) {
                    line.FastestSpeed = speed;
                    line.FastestDay = edges[begin + i].Day;
                    line.FastestMs = edges[begin + i].TimeMs;
                }
            }
        }
        begin = end;
    }
}

void LineReport::CountDropouts() {
    std::vector<uint16_t> values;
    for (auto& entry : gaps_) {
        const Gaps& gaps = entry.second;
        if (gaps.Values.empty()) continue;
        values = gaps.Values;
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        const uint32_t period = values[values.size() / 2];
        for (size_t l = 0; l < gaps.Lines.size(); ++l) {
            LineSummary& line = lines_[size_t(gaps.Lines[l].second)];
            const size_t end = l + 1 < gaps.Lines.size() ? gaps.Lines[l + 1].first : gaps.Values.size();
            for (size_t i = gaps.Lines[l].first; i < end; ++i) {
                const uint32_t gap = gaps.Values[i];
                line.LongestGapS = std::max(line.LongestGapS, gap / 1000.0);
                if (period > 0 && gap > DropoutPeriods * period) ++line.Dropouts;
            }
        }
    }
    gaps_.clear();
}

// A line is flagged for a sensor with every fault of its blocks.
void LineReport::TakeSensorFlags() {
    const std::vector<std::vector<uint32_t>>& blocks = flags_.ByBlock();
    for (size_t block = 0; block < blocks.size(); ++block) {
        const int32_t key = KeyOf(static_cast<int32_t>(block));
        for (size_t sensor = 0; key >= 0 && sensor < blocks[block].size(); ++sensor) {
            if (blocks[block][sensor] != 0) SensorOf(key, int32_t(sensor) + 1).Faults |= blocks[block][sensor];
        }
    }
}

void LineReport::CountTraverses() {
    const Traverses traverses(walk_.Timeline(), walk_.Lines(), MetresToDisplayUnits(1.0, walk_.Header().DisplayUnits));
    const std::vector<int32_t>& keys = traverses.Keys().OfBlock;
    for (size_t block = 0; block < keys.size(); ++block) {
        lines_[size_t(KeyOf(int32_t(block)))].Traverses = traverses.CountOf(keys[block]);
    }
}

const std::vector<LineSummary>& LineReport::Finish() {
    if (!walk_.Lines().empty()) KeyOf(static_cast<int32_t>(walk_.Lines().size()) - 1);
    Measure();
    CountDropouts();
    TakeSensorFlags();
    CountTraverses();
    for (size_t key = 0; key < lines_.size(); ++key) {
        LineSummary& line = lines_[key];
        LineData& d = data_[key];
        SplitTime(d.First >= 0 ? d.First : d.FirstFix, line.StartDay, line.StartMs);
        SplitTime(d.First >= 0 ? d.Last : d.LastFix, line.EndDay, line.EndMs);
        for (size_t q = 0; q <= OtherQualities; ++q) {
            const int32_t quality = q == OtherQualities ? 99 : int32_t(q);
            if (best_ >= 0 && QualityRank(quality) < QualityRank(best_)) line.BelowBestS += d.QualitySeconds[q];
        }
        line.BelowBestS += d.NoFixSeconds;
        line.Sensors.resize(size_t(sensorColumns_));
        for (size_t k = 0; k < d.Sensors.size(); ++k) {
            SensorData& s = d.Sensors[k];
            SensorSummary& out = line.Sensors[k];
            out.Count = s.Count;
            if (s.Count > 0) {
                out.Mean = s.Sum / double(s.Count);
                out.Spread = std::sqrt(std::max(0.0, s.SumSquares / double(s.Count) - out.Mean * out.Mean));
                out.Median = MedianOf(s.Values);
                std::vector<float>().swap(s.Values);
            }
            out.Flags = FaultWords(s.Faults);
            if (!out.Flags.empty()) {
                if (!line.Flags.empty()) line.Flags += "; ";
                line.Flags += "sensor " + std::to_string(k + 1) + " " + out.Flags;
            }
        }
    }
    data_.clear();
    return lines_;
}

bool LineReport::WriteCsv(File& file, const std::string& unit) const {
    TextBuffer out(file);
    std::string& t = out.Text();
    const std::string zone = " (" + ZoneName(walk_.Header().Zone) + ")";
    t += "session,date,line,blocks,traverses,start" + zone + ",end" + zone + ",duration_s,length (" + unit +
         "),readings,dropouts,longest_gap_s,breaks,fastest (" + unit + "/s),fastest_at" + zone +
         ",fix_s,mask_failed_s,below_best_quality_s,flags";
    for (int32_t k = 1; k <= sensorColumns_; ++k) {
        const std::string s = "s" + std::to_string(k);
        t += "," + s + "_readings," + s + "_mean," + s + "_median," + s + "_spread," + s + "_flags";
    }
    t += '\n';
    for (const LineSummary& line : lines_) {
        AppendInt(t, line.Session);
        t += ',';
        AppendDate(t, line.StartDay);
        t += ',';
        AppendCsvField(t, line.Name);
        t += ',';
        AppendInt(t, line.Blocks);
        t += ',';
        AppendInt(t, line.Traverses);
        t += ',';
        AppendTimeOfDay(t, line.StartMs);
        t += ',';
        AppendTimeOfDay(t, line.EndMs);
        t += ',';
        if (line.StartMs >= 0 && line.EndMs >= 0) {
            AppendTrimmed(t, (double(line.EndDay - line.StartDay) * MsPerDay + line.EndMs - line.StartMs) / 1000.0, 3);
        }
        t += ',';
        AppendTrimmed(t, line.Length, 3);
        t += ',';
        AppendInt(t, line.Readings);
        t += ',';
        AppendInt(t, line.Dropouts);
        t += ',';
        AppendTrimmed(t, line.LongestGapS, 3);
        t += ',';
        AppendInt(t, line.Breaks);
        t += ',';
        AppendTrimmed(t, line.FastestSpeed, 3);
        t += ',';
        AppendTimeOfDay(t, line.FastestMs);
        t += ',';
        AppendTrimmed(t, line.FixSeconds, 3);
        t += ',';
        AppendTrimmed(t, line.MaskFailedS, 3);
        t += ',';
        AppendTrimmed(t, line.BelowBestS, 3);
        t += ',';
        AppendCsvField(t, line.Flags);
        for (const SensorSummary& s : line.Sensors) {
            t += ',';
            AppendInt(t, s.Count);
            for (double v : {s.Mean, s.Median, s.Spread}) {
                t += ',';
                if (s.Count > 0) AppendTrimmed(t, v, 3);
            }
            t += ',';
            AppendCsvField(t, s.Flags);
        }
        t += '\n';
    }
    return out.Flush();
}

std::string LineReport::Table(const std::string& unit) const {
    std::string t;
    char row[256];
    std::snprintf(row, sizeof row, "%-3s %-10s %-9s %-8s %-8s %4s %9s %8s %5s %5s %10s %7s %7s  %s\n", "ses", "date",
                  "line", "start", "end", "trav", ("length " + unit).c_str(), "readings", "drop", "brk",
                  ("fast " + unit + "/s").c_str(), "mask s", "qual s", "flags");
    t += row;
    for (const LineSummary& line : lines_) {
        std::string date, start, end;
        AppendDate(date, line.StartDay);
        AppendTimeOfDay(start, line.StartMs);
        AppendTimeOfDay(end, line.EndMs);
        std::snprintf(row, sizeof row, "%-3d %-10s %-9s %-8.8s %-8.8s %4d %9.1f %8lld %5d %5d %10.2f %7.0f %7.0f  %s\n",
                      line.Session, date.empty() ? "-" : date.c_str(), line.Name.c_str(),
                      start.empty() ? "-" : start.c_str(), end.empty() ? "-" : end.c_str(), line.Traverses, line.Length,
                      static_cast<long long>(line.Readings), line.Dropouts, line.Breaks, line.FastestSpeed,
                      line.MaskFailedS, line.BelowBestS, line.Flags.empty() ? "-" : line.Flags.c_str());
        t += row;
    }
    return t;
}

}  // namespace tesselog
