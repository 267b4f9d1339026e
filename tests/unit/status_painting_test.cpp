#include "core/logscreen/status_painting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "core/common/colour_palette.h"

namespace tesselog {
namespace {

// A face 8 per cent wider than the recording canvas's cells, as Wine's
// fallback faces are wider than the one the screen was made with. The boxes
// are measured in it and must still hold every text.
struct WideCanvas : RecordingCanvas {
    TextSize TextExtent(const std::string& text) override {
        TextSize size = RecordingCanvas::TextExtent(text);
        size.Width = (size.Width * 108 + 99) / 100;
        return size;
    }
};

struct Screen {
    LoggingLayout Creation, Panes;
    StatusTextLayout Status;
    Screen(int32_t w, int32_t h, int32_t n, bool wide = false) {
        RecordingCanvas plain;
        WideCanvas wider;
        Creation = ComputeLoggingLayout(w, h, 18, n, CreationRightColumnWidth);
        Panes = ComputeLoggingLayout(w, h, 18, n, PaneRightColumnWidth);
        Status = ComputeStatusTextLayout(wide ? wider : plain, Panes, Creation);
    }
};

StatusInputs Inputs() {
    StatusInputs in;
    TakeStatusSettings(in, Settings());
    in.MapVisible = 1;
    in.FileName = "250101_001.MGR";
    in.CurrentLineText = "7";
    in.CurrentStation = 12.5;
    in.LineSeconds = 3725;
    return in;
}

std::vector<std::string> Paint(const Screen& s, const StatusInputs& in) {
    RecordingCanvas canvas;
    PaintLoggingStatus(canvas, s.Status, in);
    return canvas.Calls;
}

// Index of the first call that ends with text, -1 when there is none.
int Find(const std::vector<std::string>& calls, const std::string& text) {
    for (size_t i = 0; i < calls.size(); ++i) {
        const std::string& c = calls[i];
        if (c.size() >= text.size() && c.compare(c.size() - text.size(), text.size(), text) == 0) return int(i);
    }
    return -1;
}

// Which texts show in which state is checked below; here the colour boxes
// and that no value is drawn over what was there before.
TEST(StatusPaintingTest, EveryValueOverAClearedBox) {
    const Screen s(1024, 762, 3);
    const std::vector<std::string> calls = Paint(s, Inputs());
    for (const char* text : {"Monitoring", "500.0 nT", " 12.50      ", "01:02:05", "Lat:", "Speed:"})
        EXPECT_NE(Find(calls, text), -1) << text;
    EXPECT_EQ(Find(calls, "Z:"), -1);
    // 50 outlined class boxes, magenta on top; a class out of range takes the nearest end.
    ASSERT_GT(Find(calls, "brush ff00ff"), 0);
    EXPECT_EQ(ColourClassColor(-3), ColourClassColor(0));
    EXPECT_EQ(ColourClassColor(50), ColourClassColor(49));
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("rect", 0) == 0; }),
              50);

    // Every value is written into a box that was filled just before.
    int values = 0;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].rfind("textin ", 0) != 0) continue;
        ++values;
        const std::string box = calls[i].substr(7, calls[i].find(' ', calls[i].find(' ', 7) + 1) - 7);
        ASSERT_GT(i, 0u);
        EXPECT_EQ(calls[i - 1].rfind("fill " + box + " ", 0), 0u) << calls[i];
    }
    EXPECT_GE(values, 20);
}

TEST(StatusPaintingTest, TextsFollowStateAndSettings) {
    const Screen s(800, 562, 2);
    const struct {
        const char* name;
        void (*change)(StatusInputs&);
        std::vector<std::string> present, absent;
    } cases[] = {
        {"stand by", [](StatusInputs& in) { in.LoggingState = -1; }, {"Stand By", "File: 250101_001.MGR"},
         {"File:        "}},
        {"logging", [](StatusInputs& in) { in.LoggingState = 1; }, {"Logging"}, {"Monitoring"}},
        {"US feet", [](StatusInputs& in) { in.DisplayUnits = 2; }, {"Map Size:   40 US-ft"}, {}},
        {"profile view", [](StatusInputs& in) { in.MapVisible = 0; }, {}, {"Map Size:   40 m"}},
        {"HDOP", [](StatusInputs& in) { in.NmeaMode = 1; }, {"HDOP:"}, {"PDOP:"}},
        {"grid", [](StatusInputs& in) { in.CoordinateDisplay = 2; }, {"N:", "E:", "Z:"}, {"Lat:", "Lon:"}},
        {"no GPS", [](StatusInputs& in) { in.GpsInput = 0; }, {"GPS Disabled"},
         {"Positions: ", "Sat:", "brush ff00ff"}},
        {"positions map", [](StatusInputs& in) { in.MapDisplayType = 0; }, {"Sat:"}, {"brush ff00ff"}},
        {"no console", [](StatusInputs& in) { in.ConsoleCount = 0; }, {"Tot. Stns:"}, {"500.0 nT", "0.0 nT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StatusInputs in = Inputs();
        c.change(in);
        const std::vector<std::string> calls = Paint(s, in);
        for (const std::string& text : c.present) EXPECT_NE(Find(calls, text), -1) << text;
        for (const std::string& text : c.absent) EXPECT_EQ(Find(calls, text), -1) << text;
    }
}

TEST(StatusPaintingTest, StatusLineAndPauseHint) {
    const Screen s(1024, 762, 3);
    const StatusTextLayout& l = s.Status;
    const char* const words[] = {nullptr, "Monitoring", "Stand By", "Logging"};
    for (int code = 0; code <= 3; ++code) {
        RecordingCanvas canvas;
        PaintStatusLine(canvas, l, code, "X.MGR", 0xC0C0C0, 0);
        const Rect box = code == 0 ? l.FileBox : l.StateBox;
        EXPECT_NE(Find(canvas.Calls, code == 0 ? "File: X.MGR" : words[code]), -1);
        char fill[64];
        std::snprintf(fill, sizeof fill, "fill %d,%d %d,%d c0c0c0", box.Left, box.Top, box.Right, box.Bottom);
        EXPECT_NE(Find(canvas.Calls, fill), -1) << code;
    }

    // The right column is 864..1004 on a 1024-pixel screen, and the text
    // font's cells are 7 wide. A line that fits is centred on the column
    // ("press key <P> pause", 133 wide, at 864 + 3); a wider one ends at
    // 1004, the buttons' right edge, instead of running past them.
    const struct {
        const char* line;
        int32_t x;
    } hints[] = {{"press any key to pause", 1004 - 154}, {"press <ENTER> to pause", 1004 - 154},
                 {"press <Space Bar> to pause", 1004 - 182}, {"press key <P> pause", 867}};
    for (int key = 0; key < 4; ++key) {
        RecordingCanvas canvas;
        PaintPauseHint(canvas, l, 1, key, 0xC0C0C0, 0);
        const std::string second = "text " + std::to_string(hints[key].x) + "," + std::to_string(l.HintSecondY) +
                                   " " + hints[key].line;
        EXPECT_NE(Find(canvas.Calls, "text 836," + std::to_string(l.HintFirstY) + " Click on PAUSE button or"), -1);
        EXPECT_NE(Find(canvas.Calls, second), -1) << second;
    }
}

// Replays the font and alignment of the calls and checks that every value
// drawn into a box lies inside it (blanks that pad it on the right may be
// cut), and every plain text inside `erase` when that is given.
void ExpectInsideBoxes(const std::vector<std::string>& calls, const Rect* erase = nullptr) {
    static const char* const fonts[] = {"font caption", "font title", "font text", "font bold"};
    WideCanvas measure;
    bool right = false;
    for (const std::string& call : calls) {
        for (int f = 0; f < 4; ++f)
            if (call == fonts[f]) measure.SetFont(static_cast<FontChoice>(f));
        if (call.rfind("align ", 0) == 0) right = call == "align right";
        Rect box;
        int x = 0, y = 0, at = 0;
        if (std::sscanf(call.c_str(), "textin %d,%d %d,%d %d,%d %n", &box.Left, &box.Top, &box.Right, &box.Bottom,
                        &x, &y, &at) == 6 && at > 0) {
            const std::string text = call.substr(at);
            const int32_t width = measure.TextExtent(text.substr(0, text.find_last_not_of(' ') + 1)).Width;
            const int32_t left = right ? x - width : x;
            EXPECT_TRUE(left >= box.Left && left + width <= box.Right) << call << " is " << width << " wide";
        } else if (erase && std::sscanf(call.c_str(), "text %d,%d %n", &x, &y, &at) == 2 && at > 0) {
            const TextSize size = measure.TextExtent(call.substr(at));
            EXPECT_TRUE(x >= erase->Left && x + size.Width <= erase->Right && y >= erase->Top &&
                        y + size.Height <= erase->Bottom)
                << call;
        }
    }
}

TEST(StatusPaintingTest, AWiderFaceKeepsEveryTextInsideItsBox) {
    const std::string deg(1, DegreeSign);
    ShownGpsTexts geodetic, grid;
    for (ShownGpsTexts* gps : {&geodetic, &grid}) {
        gps->Quality = {true, FontChoice::Text, "UNKW"};
        gps->Satellites = {true, FontChoice::Text, "12"};
        gps->Dilution = {true, FontChoice::Bold, "12.5"};
        gps->Zone = {true, FontChoice::Bold, "60"};
    }
    geodetic.FirstCoordinate = {true, FontChoice::Bold, "S89" + deg + "59'59.9999\""};
    geodetic.SecondCoordinate = {true, FontChoice::Bold, "W179" + deg + "59'59.9999\""};
    grid.FirstCoordinate = {true, FontChoice::Bold, " 32808398.95 USft"};
    grid.SecondCoordinate = {true, FontChoice::Bold, "  2736220.47 USft"};

    const Screen s(1024, 762, 3, true);
    for (int32_t display : {0, 3}) {
        for (const ShownGpsTexts& gps : {ShownGpsTexts(), display == 0 ? geodetic : grid}) {
            SCOPED_TRACE(display);
            StatusInputs in = Inputs();
            in.LoggingState = -1;
            in.CoordinateDisplay = display;
            in.GpsTexts = gps;
            in.TotalStations = 9999999;
            in.GpsPositionCount = 28800;
            in.TotalLength = 99999999.0;
            WideCanvas canvas;
            PaintLoggingStatus(canvas, s.Status, in);
            ExpectInsideBoxes(canvas.Calls);
        }
    }
}

// The hint's lines can be wider than the right column: the erase covers
// each one as drawn, whatever the pause key was.
TEST(StatusPaintingTest, PauseHintEraseCoversTheDrawnLines) {
    for (const Screen& s : {Screen(800, 562, 1), Screen(1024, 762, 3)}) {
        WideCanvas erase;
        PaintPauseHint(erase, s.Status, -1, 0, 0xC0C0C0, 0);
        Rect box;
        ASSERT_EQ(std::sscanf(erase.Calls.back().c_str(), "fill %d,%d %d,%d", &box.Left, &box.Top, &box.Right,
                              &box.Bottom), 4);
        for (int key = 0; key < 4; ++key) {
            WideCanvas hint;
            PaintPauseHint(hint, s.Status, 1, key, 0xC0C0C0, 0);
            ExpectInsideBoxes(hint.Calls, &box);
        }
    }
}

// The texts of the status area keep clear of each other and of the panes:
// the rows one pixel apart or more (the text is 14 high), every label ahead
// of its value by 6 pixels or more, the speed row between the panes' bottom
// and the speed bar, the grid's note between the state word and the map size.
TEST(StatusPaintingTest, TextPlacesDoNotOverlap) {
    const struct {
        int32_t w, h, n;
        int32_t pitch;  // (H - 58 - bar bottom - 2) / 4 = 15 on both: one pixel more than L - 4
    } screens[] = {{1018, 737, 3, 15}, {800, 562, 9, 15}};
    const int32_t labelWidth = 7;  // the recording canvas's text cells
    for (const auto& sc : screens) {
        SCOPED_TRACE(sc.w);
        const Screen s(sc.w, sc.h, sc.n);
        const StatusTextLayout& l = s.Status;
        EXPECT_EQ(l.RowPitch, sc.pitch);
        EXPECT_EQ(l.RowY[4], sc.h - 40 - 18);
        EXPECT_GE(l.RowY[0], s.Creation.SpeedBar.Bottom + 2);

        const struct {
            const StatusField& field;
            const char* label;
        } fields[] = {{l.TotalStations, "Tot. Stns:"},  {l.TotalLength, "Tot. Length:"}, {l.CurrentLine, "Curr. Line:"},
                      {l.LineStations, "# of Stns:"},   {l.Positions, "Positions:"},    {l.LineTime, "Time:"}};
        for (const auto& f : fields) {
            const int32_t labelEnd = f.field.Label.X + labelWidth * static_cast<int32_t>(std::string(f.label).size());
            EXPECT_GE(f.field.Value.Left - labelEnd, 6) << f.label;
        }
        // "Curr. Line:" is 77 wide, more than "# of Stns:" and 9: its values
        // start 83 right of the block.
        EXPECT_EQ(l.CurrentLine.Value.Left - l.BlockX[1], 83);

        const int32_t panesBottom = MapPaneRect(s.Panes).Bottom;
        for (const Rect& box : {l.Speed.Value, l.SpeedLowBox, l.SpeedHighBox}) {
            EXPECT_GE(box.Top, panesBottom);
            EXPECT_LE(box.Bottom, s.Creation.SpeedBar.Top);
            EXPECT_GT(box.Height(), 0);
        }
        EXPECT_GE(l.GridNoteBox.Left, l.StateBox.Right);
        EXPECT_LE(l.GridNoteBox.Right, l.MapSizeBox.Left);
    }
    // The one-console map ends at the upper area, two pixels below the line
    // above the speed bar: the speed row starts under it.
    const Screen one(1018, 737, 1);
    EXPECT_EQ(MapPaneRect(one.Panes).Bottom, 737 - 8 * 18);
    EXPECT_EQ(one.Status.Speed.Value.Top, 737 - 8 * 18);
}

// The GPS handler's boxes lie in the last third, clear of each other and of
// the command buttons, on both screen sizes and for both coordinate kinds.
TEST(StatusPaintingTest, GpsFieldsDoNotOverlap) {
    for (const Screen& s : {Screen(800, 562, 9), Screen(1024, 762, 1)}) {
        for (int32_t display : {0, 1}) {
            const GpsFieldLayout g = MakeGpsFieldLayout(s.Status, s.Creation, display, 5.0, 0);
            std::vector<Rect> boxes = {g.Satellites, g.Quality, g.FirstCoordinate, g.SecondCoordinate,
                                       g.Dilution,   g.CircleA, g.CircleB,         g.PositionCount};
            if (display != 0) boxes.push_back(g.Zone);
            for (size_t i = 0; i < boxes.size(); ++i) {
                EXPECT_GE(boxes[i].Left, s.Status.ThirdX[2]) << i;
                EXPECT_LE(boxes[i].Right, s.Creation.ButtonX) << i;
                for (size_t j = i + 1; j < boxes.size(); ++j) {
                    const bool apart = boxes[i].Right <= boxes[j].Left || boxes[j].Right <= boxes[i].Left ||
                                       boxes[i].Bottom <= boxes[j].Top || boxes[j].Bottom <= boxes[i].Top;
                    EXPECT_TRUE(apart) << i << " " << j;
                }
            }
        }
    }
}

// The warning line keeps the texts in order while they fit and counts the
// rest; the recording canvas's bold face is 8 pixels a character.
TEST(StatusPainting, WarningLineCountsWhatDoesNotFit) {
    const std::string three = "AAAA | BBBB | CCCCCCCCCCCC";  // 26 characters, 208 pixels
    const struct {
        std::string line;
        int32_t width;
        const char* shown;
    } cases[] = {
        {three, 208, "AAAA | BBBB | CCCCCCCCCCCC"},
        {three, 207, "AAAA | BBBB | +1 more"},  // 168 pixels
        {three, 167, "AAAA | +2 more"},
        {three, 40, "AAAA | +2 more"},          // the first is shown, cut at the box
        {"AAAA", 8, "AAAA"},
    };
    RecordingCanvas canvas;
    canvas.SetFont(FontChoice::Bold);
    for (const auto& c : cases) EXPECT_EQ(FitWarnings(canvas, c.line, c.width), c.shown) << c.width;
}

}  // namespace
}  // namespace tesselog
