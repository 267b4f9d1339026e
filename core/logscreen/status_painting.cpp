#include "core/logscreen/status_painting.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/common/colour_palette.h"
#include "core/common/text_format.h"
#include "core/logscreen/field_warnings_view.h"

namespace tesselog {

namespace {

constexpr char BlockSample[] = "# of Stns:888999";
constexpr char ColumnLabel[] = "# of Stns:";
constexpr Color SeparatorDark = Rgb(128, 128, 128);
constexpr Color SeparatorLight = Rgb(255, 255, 255);
constexpr Color Black = Rgb(0, 0, 0);

int32_t Width(Canvas& c, FontChoice font, const char* text) {
    c.SetFont(font);
    return c.TextExtent(text).Width;
}

// The widest of the texts a box may show, measured in its font.
int32_t Widest(Canvas& c, FontChoice font, std::initializer_list<const char*> texts) {
    int32_t widest = 0;
    for (const char* text : texts) widest = std::max(widest, Width(c, font, text));
    return widest;
}

// "NO FIX" .. "RTK9", "UNKW" and "N/A", in the quality's font.
int32_t WidestQualityLabel(Canvas& c) {
    int32_t widest = Width(c, FontChoice::Text, "N/A");
    for (const char* first = "0123456789X"; *first; ++first)
        widest = std::max(widest, Width(c, FontChoice::Text, GpsQualityLabel(*first)));
    return widest;
}

Rect Box(int32_t x, int32_t y, int32_t width, int32_t height) { return {x, y, x + width, y + height}; }

// The least room between a label and its value.
constexpr int32_t LabelGap = 6;

// Where a block's values may start: past its widest label and the gap.
int32_t WidestLabel(Canvas& c, std::initializer_list<const char*> labels) {
    return Widest(c, FontChoice::Text, labels) + LabelGap;
}



// A value over its cleared box, in the current font and alignment.
void Value(Canvas& c, const Rect& box, int32_t x, const std::string& text, Color background) {
    c.FillRect(box, background);
    if (!text.empty()) c.TextInRect(box, x, box.Top, text);
}

void Field(Canvas& c, const StatusField& field, const char* label, const std::string& value, Color background) {
    c.SetFont(FontChoice::Text);
    c.Text(field.Label.X, field.Label.Y, label);
    c.SetFont(FontChoice::Bold);
    Value(c, field.Value, field.Value.Left, value, background);
}

// A GPS value as the position handler last drew it, in its font, or "N/A"
// in the block's own font while the handler has drawn nothing there.
void GpsValue(Canvas& c, const Rect& box, const ShownGpsField& shown, FontChoice unknownFont, Color background) {
    c.SetFont(shown.Shown ? shown.Font : unknownFont);
    const std::string& text = shown.Shown ? shown.Text : std::string("N/A");
    c.FillRect(box, background);
    if (!text.empty()) c.TextInRect(box, box.Left, box.Top, text);
}

void GpsField(Canvas& c, const StatusField& field, const char* label, const ShownGpsField& shown,
              Color background) {
    c.SetFont(FontChoice::Text);
    c.Text(field.Label.X, field.Label.Y, label);
    GpsValue(c, field.Value, shown, FontChoice::Bold, background);
}

// Left end of a pause hint line centred on the right column; a line wider
// than the column ends at the column's right end (the buttons' right edge)
// instead of running past it.
int32_t HintLineX(Canvas& c, const StatusTextLayout& s, const char* line) {
    const int32_t width = c.TextExtent(line).Width;
    const int32_t centred = s.HintColumnX + (s.HintColumnWidth - width) / 2;
    return std::min(centred, s.HintColumnX + s.HintColumnWidth - width);
}

// With northing and easting shown the zone stands beside the easting; on a
// screen too narrow for both the easting's box stops short of "Z:".
Rect SecondCoordinateBox(const StatusTextLayout& s, int32_t coordinateDisplay) {
    Rect box = s.SecondCoordinate.Value;
    if (coordinateDisplay != 0) box.Right = std::min(box.Right, s.Zone.Label.X - 4);
    return box;
}

}  // namespace

const char* LoggingStateWord(int32_t loggingState) {
    if (loggingState < 0) return "Stand By";
    if (loggingState == 0) return "Monitoring";
    return "Logging";
}

std::string MapSizeText(int32_t mapSize, int32_t displayUnits) {
    const char* format = displayUnits == 1 ? "Map Size:%5ld ft" : displayUnits == 2 ? "Map Size:%5ld US-ft"
                                                                                   : "Map Size:%5ld m";
    char text[48];
    std::snprintf(text, sizeof text, format, static_cast<long>(mapSize));
    return text;
}

const char* DilutionLabel(int32_t nmeaMode) {
    if (nmeaMode == 1) return "HDOP:";
    if (nmeaMode == 3 || nmeaMode == 4) return "GDOP:";
    return "PDOP:";
}

const char* PauseHintText(int32_t pauseKey) {
    switch (pauseKey) {
    case 1: return "press <ENTER> to pause";
    case 2: return "press <Space Bar> to pause";
    case 3: return "press key <P> pause";
    default: return "press any key to pause";
    }
}

std::string ClockText(int32_t seconds) {
    seconds = std::max<int32_t>(seconds, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

StatusTextLayout ComputeStatusTextLayout(Canvas& c, const LoggingLayout& panes, const LoggingLayout& creation) {
    StatusTextLayout s;
    const int32_t h = panes.ClientHeight;
    const int32_t l = panes.LineHeight;
    c.SetFont(FontChoice::Text);
    const TextSize sample = c.TextExtent(BlockSample);
    s.TextHeight = sample.Height;
    const int32_t column = Width(c, FontChoice::Text, ColumnLabel);
    const Rect& bar = creation.SpeedBar;

    // Rows L - 4 apart, or two pixels more than the text is high where the
    // room under the speed bar allows: at L - 4 a text as high as the pitch
    // puts one row's descenders (the "_" of a file name) against the next
    // row's digits.
    const int32_t lowest = h - 40 - l;
    const int32_t roomy = std::min(sample.Height + 2, (lowest - bar.Bottom - 2) / 4);
    s.RowPitch = std::max(l - 4, roomy);
    for (int row = 0; row < 5; ++row) s.RowY[row] = lowest - (4 - row) * s.RowPitch;
    s.ThirdWidth = bar.Width() / 3;
    for (int i = 0; i < 3; ++i) {
        s.ThirdX[i] = bar.Left + i * s.ThirdWidth;
        s.BlockX[i] = s.ThirdX[i] + (s.ThirdWidth - sample.Width) / 2;
    }
    const int32_t pitch = s.RowPitch;
    auto at = [&](int third, int row, int32_t valueX, int32_t right) {
        StatusField f;
        f.Label = {s.BlockX[third], s.RowY[row]};
        f.Value = {valueX, s.RowY[row], std::max(valueX, right), s.RowY[row] + pitch};
        return f;
    };

    // First third: file and totals, values 18 pixels right of the column
    // label, and never closer than LabelGap to the block's widest label.
    const int32_t firstValue =
        s.BlockX[0] + std::max(column + 18, WidestLabel(c, {"Tot. Stns:", "Tot. Lines:", "Tot. Length:", "Tot. Time:"}));
    const int32_t firstEnd = s.ThirdX[1] - 2;
    s.FileBox = {s.BlockX[0], s.RowY[0], std::max(s.BlockX[0], s.BlockX[1] - 4), s.RowY[0] + pitch};
    s.TotalStations = at(0, 1, firstValue, firstEnd);
    s.TotalLines = at(0, 2, firstValue, firstEnd);
    s.TotalLength = at(0, 3, firstValue, firstEnd);
    s.TotalTime = at(0, 4, firstValue, firstEnd);

    // Middle third: the current line, values 9 pixels right of the label.
    const int32_t middleValue =
        s.BlockX[1] + std::max(column + 9, WidestLabel(c, {"Curr. Line:", "Station:", "# of Stns:", "Length:", "Time:"}));
    const int32_t middleEnd = s.ThirdX[2] - 2;
    s.CurrentLine = at(1, 0, middleValue, middleEnd);
    s.Station = at(1, 1, middleValue, middleEnd);
    s.LineStations = at(1, 2, middleValue, middleEnd);
    s.LineLength = at(1, 3, middleValue, middleEnd);
    s.LineTime = at(1, 4, middleValue, middleEnd);

    // Last third: GPS. Nothing may run under the command buttons. The
    // value boxes hold the widest text each can show in the fonts in use
    // ("N/A" included), so a wider face widens the boxes instead of
    // cutting the texts. The widest row, the easting with the zone beside
    // it, decides the block's place: centred like the others when it fits,
    // else moved left as far as the third's left end.
    const int32_t gpsEnd = creation.ButtonX - 4;
    const int32_t coordinateLabel = Widest(c, FontChoice::Text, {"Lat:", "Lon:", "N:", "E:"});
    // Eight digits: a northing in feet reaches 32808398.95.
    const int32_t coordinateWidth =
        Widest(c, FontChoice::Bold, {"W888\xB0" "88'88.8888\"", " 88888888.88 USft", GpsNoPositionText, "N/A"}) + 4;
    const int32_t zoneLabel = Width(c, FontChoice::Text, "Z:");
    const int32_t zoneValue = Widest(c, FontChoice::Bold, {"88", "na", "N/A"}) + 6;
    const int32_t widestRow = coordinateLabel + 6 + coordinateWidth + 6 + zoneLabel + 4 + zoneValue;
    s.BlockX[2] = std::max(s.ThirdX[2], std::min(s.BlockX[2], gpsEnd - widestRow));
    const int32_t gx = s.BlockX[2];

    const int32_t gpsValue = gx + std::max(column + 9, WidestLabel(c, {"Positions:", "HDOP:", "GDOP:", "PDOP:"}));
    s.Positions = at(2, 0, gpsValue, gpsValue + Width(c, FontChoice::Bold, "888888") + 4);
    s.Quality = Box(gx, s.RowY[1], WidestQualityLabel(c) + 6, pitch);
    const int32_t circle = std::max(pitch - 2, 2);
    s.CircleA = Box(s.Quality.Right + 4, s.RowY[1] + 1, circle, circle);
    s.CircleB = Box(s.CircleA.Right + 4, s.RowY[1] + 1, circle, circle);
    // Row 3: dilution, then "Sat:"; on a narrow screen "Sat:" moves left
    // into the dilution's spare room rather than under the buttons.
    const int32_t satLabel = Width(c, FontChoice::Text, "Sat:");
    const int32_t satWidth = Widest(c, FontChoice::Bold, {"88", "N/A"}) + 6;
    s.Dilution = at(2, 2, gpsValue, gpsValue + Widest(c, FontChoice::Bold, {"88.8", "N/A"}) + 6);
    s.Satellites.Label = {std::min(s.Dilution.Value.Right + 6, gpsEnd - satWidth - satLabel - 4), s.RowY[2]};
    s.Dilution.Value.Right = std::max(gpsValue, std::min(s.Dilution.Value.Right, s.Satellites.Label.X - 2));
    s.Satellites.Value = Box(s.Satellites.Label.X + satLabel + 4, s.RowY[2], satWidth, pitch);

    // Only the easting row has the zone beside it; on a screen too narrow
    // for both, the zone keeps its room and the easting box gives way
    // (SecondCoordinateBox).
    const int32_t coordinateX = gx + coordinateLabel + 6;
    const int32_t coordinateRight = std::min(coordinateX + coordinateWidth, gpsEnd);
    s.FirstCoordinate = at(2, 3, coordinateX, coordinateRight);
    s.SecondCoordinate = at(2, 4, coordinateX, coordinateRight);
    s.Zone.Label = {std::min(coordinateRight + 6, gpsEnd - zoneValue - zoneLabel - 4), s.RowY[4]};
    s.Zone.Value = Box(s.Zone.Label.X + zoneLabel + 4, s.RowY[4], zoneValue, pitch);
    s.GpsDisabledBox = {gx, s.RowY[0], std::max(gx, gpsEnd), s.RowY[0] + pitch};

    // Top of the screen.
    s.StateBox = Box(23, 0, Width(c, FontChoice::Bold, "Monitoring") + 8, 20);
    s.MapRight = LoggingMargin + panes.MapSide;
    const int32_t mapSizeWidth = Width(c, FontChoice::Text, "Map Size:88888 US-ft") + 4;
    s.MapSizeBox = {s.MapRight - mapSizeWidth, 2, s.MapRight, 2 + s.TextHeight};
    // A thinned grid is named left of the map size, clear of the state word.
    const int32_t noteRight = s.MapSizeBox.Left - 8;
    const int32_t noteWidth = Width(c, FontChoice::Text, "Grid thinned to 88888888 US-ft") + 4;
    s.GridNoteBox = {std::max(s.StateBox.Right + 8, noteRight - noteWidth), 2, noteRight, 2 + s.TextHeight};
    if (s.GridNoteBox.Right < s.GridNoteBox.Left) s.GridNoteBox.Right = s.GridNoteBox.Left;
    s.WarningBox = {s.StateBox.Right + 8, 2, std::max(s.StateBox.Right + 8, s.MapSizeBox.Left - 8),
                    2 + s.TextHeight};
    s.WarningRightWithoutMap = std::max(s.WarningBox.Left, panes.RightColumnX - 8);

    // "Speed:" one line above the speed bar, centred on it, in the row
    // between the panes' bottom and the bar: its boxes are cleared at every
    // fix and must not take the map's or the profile panes' bottom border.
    const int32_t panesBottom = LoggingMargin + panes.MapSide;
    const int32_t speedY = std::max(bar.Top - l, panesBottom);
    const int32_t speedBottom = std::max(speedY, std::min(speedY + pitch, bar.Top));
    const int32_t speedLabel = Width(c, FontChoice::Text, "Speed:");
    s.Speed.Label = {bar.Left + (bar.Width() - speedLabel) / 2, speedY};
    const int32_t speedValue =
        Widest(c, FontChoice::Bold, {"888.88 m/s", "888.88 ft/s", "888.88 km/h", "888.88 mph"}) + 4;
    s.Speed.Value = {s.Speed.Label.X + speedLabel + 4, speedY, s.Speed.Label.X + speedLabel + 4 + speedValue,
                     speedBottom};
    const int32_t endWidth = Width(c, FontChoice::Bold, "8888.8") + 4;
    s.SpeedLowBox = {bar.Left, speedY, bar.Left + endWidth, speedBottom};
    s.SpeedHighBox = {bar.Right - endWidth, speedY, bar.Right, speedBottom};

    const int32_t columnRight = panes.RightColumnX + panes.RightColumnWidth;
    s.ScaleMaxBox = {panes.RightColumnX, LoggingMargin - s.TextHeight, columnRight, LoggingMargin};
    const int32_t belowPlots = LoggingMargin + panes.SecondPlotHeight + 1;
    s.ScaleMinBox = {panes.RightColumnX, belowPlots, columnRight, belowPlots + s.TextHeight};
    s.ColourStrip = ColourScaleStripRect(panes);

    s.SeparatorY = h - 42;
    s.SeparatorLeft = bar.Left;
    s.SeparatorRight = bar.Right;

    s.HintColumnX = panes.RightColumnX;
    s.HintColumnWidth = panes.RightColumnWidth;
    s.HintFirstY = bar.Top + 3 * s.TextHeight;
    s.HintSecondY = bar.Top + 4 * s.TextHeight;
    s.HintEraseBox = {panes.RightColumnX, bar.Top + 2 * s.TextHeight, columnRight, h - 3};
    return s;
}

GpsFieldLayout MakeGpsFieldLayout(const StatusTextLayout& s, const LoggingLayout& creation,
                                  int32_t coordinateDisplay, double speedBarScale, Color background) {
    GpsFieldLayout g;
    g.Satellites = s.Satellites.Value;
    g.Quality = s.Quality;
    g.FirstCoordinate = s.FirstCoordinate.Value;
    g.SecondCoordinate = SecondCoordinateBox(s, coordinateDisplay);
    g.Dilution = s.Dilution.Value;
    g.Zone = s.Zone.Value;
    g.CircleA = s.CircleA;
    g.CircleB = s.CircleB;
    g.Speed = s.Speed.Value;
    g.PositionCount = s.Positions.Value;
    g.LineDistance = s.LineLength.Value;
    g.TotalDistance = s.TotalLength.Value;
    g.Background = background;
    g.SpeedBarWidth = creation.SpeedBar.Width();
    g.SpeedBarPixelsPerUnit = SpeedBarFactor(g.SpeedBarWidth, speedBarScale);
    return g;
}

double SpeedBarFactor(int32_t barWidth, double speedBarScale) {
    return speedBarScale > 0.0 ? barWidth / speedBarScale : 0.0;
}

void TakeStatusSettings(StatusInputs& in, const Settings& settings) {
    in.ConsoleCount = settings.ConsoleCount;
    in.DisplayUnits = settings.DisplayUnits;
    in.CoordinateDisplay = settings.CoordinateDisplay;
    in.NmeaMode = settings.NmeaMode;
    in.GpsInput = settings.GpsInput;
    in.MapDisplayType = settings.MapDisplayType;
    in.MapSize = settings.MapSize;
    in.ReadingsScaleMin = settings.ReadingsScaleMin;
    in.ReadingsScaleMax = settings.ReadingsScaleMax;
    in.SpeedBarScale = settings.SpeedBarScale;
    in.CurrentStation = settings.CurrentStation;
}

void PaintLoggingStatus(Canvas& c, const StatusTextLayout& s, const StatusInputs& in) {
    const Color bg = in.Background;
    c.SetTextBackground(true);
    c.SetTextColor(in.TextColor);
    c.SetTextAlign(TextAlign::Left);

    // 1. Map size above the map's right end, and left of it what a thinned
    // grid's lines stand for.
    if (in.MapVisible) {
        c.SetFont(FontChoice::Text);
        c.SetTextAlign(TextAlign::Right);
        Value(c, s.MapSizeBox, s.MapRight, MapSizeText(in.MapSize, in.DisplayUnits), bg);
        Value(c, s.GridNoteBox, s.GridNoteBox.Right, in.GridNote, bg);
        c.SetTextAlign(TextAlign::Left);
    }

    PaintWarningLine(c, s, in.Warnings, in.GridNote, in.MapVisible, bg);
    c.SetTextColor(in.TextColor);

    // 2. Separator: a groove along the bottom.
    c.SetPen(SeparatorDark, 1);
    c.Line({s.SeparatorLeft, s.SeparatorY}, {s.SeparatorRight, s.SeparatorY});
    c.SetPen(SeparatorLight, 1);
    c.Line({s.SeparatorLeft, s.SeparatorY + 1}, {s.SeparatorRight, s.SeparatorY + 1});

    // 3. Colour scale strip, the highest class on top.
    const Rect& strip = s.ColourStrip;
    if (in.MapDisplayType > 0 && in.GpsInput != 0 && strip.Width() > 0 && strip.Height() > 0) {
        c.SetPen(Black, 1);
        for (int k = 0; k < ColourPaletteSize; ++k) {
            const int32_t top = strip.Top + k * strip.Height() / ColourPaletteSize;
            const int32_t bottom = strip.Top + (k + 1) * strip.Height() / ColourPaletteSize;
            c.SetBrush(ColourClassColor(ColourPaletteSize - 1 - k));
            c.Rectangle({strip.Left, top, strip.Right, bottom + 1});
        }
    }

    // 4. State word.
    c.SetFont(FontChoice::Bold);
    Value(c, s.StateBox, s.StateBox.Left, LoggingStateWord(in.LoggingState), bg);

    // 5. Readings scale over and under the second-plot panes.
    if (in.ConsoleCount > 0) {
        c.SetTextAlign(TextAlign::Right);
        Value(c, s.ScaleMaxBox, s.ScaleMaxBox.Right, FormatNumber("%0.1f nT", in.ReadingsScaleMax), bg);
        Value(c, s.ScaleMinBox, s.ScaleMinBox.Right, FormatNumber("%0.1f nT", in.ReadingsScaleMin), bg);
        c.SetTextAlign(TextAlign::Left);
    }

    // 6. The current line.
    Field(c, s.CurrentLine, "Curr. Line:", in.CurrentLineText, bg);
    Field(c, s.Station, "Station:      ", FormatNumber("%-11.2f", in.CurrentStation), bg);
    Field(c, s.LineStations, "# of Stns:", FormatInt("%-6d", in.LineStations), bg);
    Field(c, s.LineLength, "Length:", FormatNumber("%-8.1f", in.LineLength), bg);
    Field(c, s.LineTime, "Time:", ClockText(in.LineSeconds), bg);

    // 7. GPS block: the position handler's last texts, which it redraws as
    // fixes come.
    if (in.GpsInput == 0) {
        c.SetFont(FontChoice::Bold);
        Value(c, s.GpsDisabledBox, s.GpsDisabledBox.Left, "GPS Disabled", bg);
    } else {
        const bool geodetic = in.CoordinateDisplay == 0;
        const ShownGpsTexts& gps = in.GpsTexts;
        Field(c, s.Positions, "Positions: ", FormatInt("%-6d", in.GpsPositionCount), bg);
        GpsValue(c, s.Quality, gps.Quality, FontChoice::Text, bg);
        for (const Rect* circle : {&s.CircleA, &s.CircleB}) {
            c.FillRect(*circle, bg);
            c.SetPen(GpsIdleCircleColor, 1);
            c.SetBrush(GpsIdleCircleColor);
            c.Ellipse({circle->Left, circle->Top + 1, circle->Right, circle->Bottom});
        }
        GpsField(c, s.Dilution, DilutionLabel(in.NmeaMode), gps.Dilution, bg);
        GpsField(c, s.Satellites, "Sat:", gps.Satellites, bg);
        GpsField(c, s.FirstCoordinate, geodetic ? "Lat:" : "N:", gps.FirstCoordinate, bg);
        StatusField second = s.SecondCoordinate;
        second.Value = SecondCoordinateBox(s, in.CoordinateDisplay);
        GpsField(c, second, geodetic ? "Lon:" : "E:", gps.SecondCoordinate, bg);
        if (!geodetic) GpsField(c, s.Zone, "Z:", gps.Zone, bg);
    }

    // 8. File line.
    c.SetFont(FontChoice::Text);
    Value(c, s.FileBox, s.FileBox.Left, in.LoggingState != 0 ? "File: " + in.FileName : "File:        ", bg);

    // 9. Totals.
    Field(c, s.TotalStations, "Tot. Stns:", FormatInt("%-7d", in.TotalStations), bg);
    Field(c, s.TotalLines, "Tot. Lines:", FormatInt("%-5d", in.LinesStarted), bg);
    Field(c, s.TotalLength, "Tot. Length:", FormatNumber("%-9.0f", in.TotalLength), bg);
    Field(c, s.TotalTime, "Tot. Time:", ClockText(in.TotalSeconds), bg);

    // 10. "Speed:" and the bar's ends.
    c.SetFont(FontChoice::Text);
    c.Text(s.Speed.Label.X, s.Speed.Label.Y, "Speed:");
    c.SetFont(FontChoice::Bold);
    Value(c, s.SpeedLowBox, s.SpeedLowBox.Left, FormatNumber("%0.1f", 0.0), bg);
    c.SetTextAlign(TextAlign::Right);
    Value(c, s.SpeedHighBox, s.SpeedHighBox.Right, FormatNumber("%0.1f", in.SpeedBarScale), bg);
    c.SetTextAlign(TextAlign::Left);
}

void PaintWarningLine(Canvas& c, const StatusTextLayout& s, const std::string& text, const std::string& gridNote,
                      int32_t mapVisible, Color background) {
    Rect box = s.WarningBox;
    c.SetFont(FontChoice::Text);
    if (!mapVisible) {
        box.Right = s.WarningRightWithoutMap;
    } else if (!gridNote.empty()) {
        box.Right = std::max(box.Left, box.Right - c.TextExtent(gridNote).Width - 8);
    }
    c.FillRect(box, background);
    if (text.empty()) return;
    c.SetFont(FontChoice::Bold);
    c.SetTextBackground(true);
    c.SetTextColor(WarningTextColor);
    c.SetTextAlign(TextAlign::Left);
    c.TextInRect(box, box.Left, box.Top, FitWarnings(c, text, box.Width()));
}

// The texts that fit the width in order, the rest counted: "A | B | +2 more".
// The first text is always shown, cut at the box's end if it must be.
std::string FitWarnings(Canvas& c, const std::string& line, int32_t width) {
    static const std::string separator = " | ";
    std::vector<std::string> texts;
    for (size_t at = 0;;) {
        const size_t end = line.find(separator, at);
        texts.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end + separator.size();
    }
    std::string shown = texts[0];
    for (size_t i = 1; i < texts.size(); ++i) {
        const std::string more = separator + "+" + std::to_string(texts.size() - i - 1) + " more";
        const std::string longer = shown + separator + texts[i];
        const bool last = i + 1 == texts.size();
        if (c.TextExtent(last ? longer : longer + more).Width <= width) {
            shown = longer;
            continue;
        }
        return shown + separator + "+" + std::to_string(texts.size() - i) + " more";
    }
    return shown;
}

void PaintStatusLine(Canvas& c, const StatusTextLayout& s, int code, const std::string& fileName, Color background,
                     Color textColor) {
    static const int32_t States[] = {0, -1, 1};  // codes 1, 2, 3
    if (code < 0 || code > 3) return;
    c.SetTextBackground(true);
    c.SetTextColor(textColor);
    c.SetTextAlign(TextAlign::Left);
    if (code == 0) {
        c.SetFont(FontChoice::Text);
        Value(c, s.FileBox, s.FileBox.Left, "File: " + fileName, background);
    } else {
        c.SetFont(FontChoice::Bold);
        Value(c, s.StateBox, s.StateBox.Left, LoggingStateWord(States[code - 1]), background);
    }
}

void PaintPauseHint(Canvas& c, const StatusTextLayout& s, int code, int32_t pauseKey, Color background,
                    Color textColor) {
    if (code != 1 && code != -1) return;
    c.SetFont(FontChoice::Text);
    if (code == -1) {
        // The lines can be wider than the column (and than the "P A U S E"
        // button below them), and the pause key may have been another one
        // when the hint was drawn: the erase covers every line as drawn.
        Rect box = s.HintEraseBox;
        for (int32_t key = -1; key < 4; ++key) {
            const char* line = key < 0 ? PauseHintFirstLine : PauseHintText(key);
            const int32_t left = HintLineX(c, s, line);
            box.Left = std::min(box.Left, left);
            box.Right = std::max(box.Right, left + c.TextExtent(line).Width);
        }
        box.Bottom = std::max(box.Bottom, s.HintSecondY + c.TextExtent(PauseHintFirstLine).Height);
        c.FillRect(box, background);
        return;
    }
    c.SetTextBackground(true);
    c.SetTextColor(textColor);
    c.SetTextAlign(TextAlign::Left);
    c.Text(HintLineX(c, s, PauseHintFirstLine), s.HintFirstY, PauseHintFirstLine);
    c.Text(HintLineX(c, s, PauseHintText(pauseKey)), s.HintSecondY, PauseHintText(pauseKey));
}

}  // namespace tesselog
