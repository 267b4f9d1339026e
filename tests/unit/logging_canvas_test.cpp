#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>

#include "core/platform/logging_canvas.h"
#include "core/platform/memory_file_system.h"

namespace tesselog {
namespace {

TEST(LoggingCanvas, LinesFromTwoThreadsNeverMix) {
    MemoryFileSystem fs;
    ManualClock clock;
    DrawLog log(fs.Open("C:\\drawlog.txt", OpenMode::CreateTruncate), clock);
    auto draw = [&log](Color color) {
        RecordingCanvas inner;
        LoggingCanvas canvas(inner, log);
        for (int i = 0; i < 2000; ++i) canvas.FillRect({i, 0, i + 1, 1}, color);
    };
    std::thread other(draw, Rgb(255, 0, 0));
    draw(Rgb(0, 0, 255));
    other.join();

    std::istringstream lines(fs.Files["C:\\drawlog.txt"]);
    std::string line;
    int red = 0, blue = 0;
    while (std::getline(lines, line)) {
        ASSERT_EQ(line.compare(0, 16, "         0 fill "), 0) << line;
        const std::string colour = line.substr(line.size() - 6);
        red += colour == "0000ff";
        blue += colour == "ff0000";
    }
    EXPECT_EQ(red, 2000);
    EXPECT_EQ(blue, 2000);
}

}  // namespace
}  // namespace tesselog
