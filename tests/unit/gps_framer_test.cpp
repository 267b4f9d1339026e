#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/gps/gps_framer.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

const std::string Gga = "$GPGGA,173524,4336.5940,N,07936.6403,W,8,11,2.0,142.5,M,-35.4,M,,*70";
const std::string Gsa = "$GPGSA,A,3,02,05,11,12,18,20,25,29,,,,,1.4,1.1,0.9*3D";
const std::string Rmc = "$GPRMC,113258,A,3238.9148,N,10822.4466,W,005.3,247.1,181022,009.3,E*6B";

// "$", the body, "*" and its checksum: sentences of any length for the tests.
std::string Checksummed(const std::string& body) {
    unsigned sum = 0;
    for (unsigned char c : body) sum ^= c;
    char star[8];
    std::snprintf(star, sizeof star, "*%02X", sum);
    return "$" + body + star;
}

struct Finished {
    std::string markers;  // first and next, "?\"", "@#" or "X#"
    bool passedOn;
    std::string text;
    uint32_t tick;
    bool operator==(const Finished& o) const {
        return markers == o.markers && passedOn == o.passedOn && text == o.text && tick == o.tick;
    }
};

std::ostream& operator<<(std::ostream& os, const Finished& f) {
    return os << f.markers << " " << f.passedOn << " " << test::Printable(f.text) << " @" << f.tick;
}

// Byte i arrives at tick 1000 + i.
std::vector<Finished> Frame(int32_t mode, const std::string& bytes) {
    GpsStreams streams;
    GpsFramer framer(streams, ApplyNmeaMode(mode));
    framer.Start(1000);
    std::vector<Finished> out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (!framer.Feed(static_cast<uint8_t>(bytes[i]), 1000 + static_cast<uint32_t>(i))) continue;
        const GpsLine& l = framer.Line();
        EXPECT_EQ(l.Accepted, l.First != TypeGpsRejected);
        out.push_back({std::string{char(l.First), char(l.Next)}, l.PassedOn, std::string(l.Text), l.Tick});
    }
    return out;
}

struct LineCase {
    const char* name;
    int32_t mode;
    std::string bytes;
    std::vector<Finished> lines;
};

TEST(GpsFramer, AcceptsRejectsAndMarksLines) {
    const std::string noStar = "$GPGGA,173524,100.0,M,200.0,M,,,,,F";
    const std::string gll = "$GPGLL,4336.5940,N,07936.6403,W,173524.00,A";
    std::string lowerHex = Rmc;
    lowerHex.back() = 'b';
    std::string badDigit = Gga;
    badDigit.back() = '1';
    const std::vector<LineCase> cases = {
        {"one checksum digit changed", 1, badDigit + "\r\n", {{"?\"", false, badDigit, 1000}}},
        {"checksum in lower case", 1, lowerHex + "\r\n", {{"X#", false, lowerHex, 1000}}},
        {"leading hex digits only", 1, Gga.substr(0, Gga.size() - 2) + "070,x\r\n",
         {{"@#", true, Gga.substr(0, Gga.size() - 2) + "070,x", 1000}}},
        {"no star rejected in mode 1", 1, noStar + "\r\n", {{"?\"", false, noStar, 1000}}},
        {"no star accepted in mode 7", 7, noStar + "\r\n", {{"@#", true, noStar, 1000}}},
        {"no star accepted in mode 8", 8, gll + "\r\n", {{"@#", true, gll, 1000}}},
        {"LF only loses the last digit", 1, Gga + "\n", {{"?\"", false, Gga.substr(0, Gga.size() - 1), 1000}}},
        {"no $ first: tick of the LF", 1, "GPGGA,1*00\r\n", {{"?\"", false, "GPGGA,1*00", 1011}}},
        {"empty lines", 1, "\n\r\n", {{"?\"", false, "", 1002}}},
        {"$ mid-line restarts at its tick", 1, "$GPGSV,3,1" + Gga + "\r\n", {{"@#", true, Gga, 1010}}},
        {"NUL ends the line", 1, Gga + std::string(1, '\0') + "junk\r\n", {{"@#", true, Gga, 1000}}},
    };
    for (const auto& c : cases) EXPECT_EQ(Frame(c.mode, c.bytes), c.lines) << c.name;
}

TEST(GpsFramer, LongLinesRestartOrAreRejected) {
    auto sentenceOf = [](size_t length) {  // a GGA of exactly `length` characters with its checksum
        return Checksummed("GPGGA,1" + std::string(length - 12, '0') + ",");
    };
    const std::string s127 = sentenceOf(127), s128 = sentenceOf(128), s200 = sentenceOf(200);
    ASSERT_EQ(s127.size(), 127u);
    ASSERT_EQ(s200.size(), 200u);
    // 127 characters fit the slot; 128 and up are rejected whole.
    EXPECT_EQ(Frame(1, s127 + "\r\n"), (std::vector<Finished>{{"@#", true, s127, 1000}}));
    EXPECT_EQ(Frame(1, s128 + "\r\n"), (std::vector<Finished>{{"?\"", false, s128, 1000}}));
    EXPECT_EQ(Frame(7, s200 + "\r\n"), (std::vector<Finished>{{"?\"", false, s200, 1000}}));
    // 201 characters and the CR: the CR is the 202nd byte and starts the line
    // over, so only the CR is left and dropped.
    const std::string s201 = s200 + "0";
    EXPECT_EQ(Frame(1, s201 + "\r\n"), (std::vector<Finished>{{"?\"", false, "", 1202}}));
    // 300 characters: the last 99 after the restart, no "$" first.
    const std::string s300 = sentenceOf(300);
    EXPECT_EQ(Frame(1, s300 + "\r\n"), (std::vector<Finished>{{"?\"", false, s300.substr(201), 1301}}));
    // Thousands of bytes without LF never overrun, and a sentence after them is clean.
    const std::string noise(5000, 'x');
    EXPECT_EQ(Frame(1, noise + Gga + "\r\n"), (std::vector<Finished>{{"@#", true, Gga, 6000}}));
}

TEST(GpsFramer, SlotFlagAndConnectionWindow) {
    GpsStreams streams;
    GpsFramer framer(streams, ApplyNmeaMode(1));
    framer.Start(500);
    auto feed = [&](const std::string& bytes, uint32_t tick) {
        for (char c : bytes) framer.Feed(static_cast<uint8_t>(c), tick);
    };
    feed(Gsa + "\r\n", 600);  // not passed on, still accepted: keeps the connection alive
    EXPECT_STREQ(streams.GpsSentence, Gsa.c_str());
    EXPECT_EQ(streams.GpsSentenceReady, 1);
    EXPECT_EQ(framer.LastAcceptedTick(), 600u);
    // Only bad checksums after it: slot kept, flag cleared, and the 3000 ms window runs out.
    std::string bad = Gga;
    bad.back() = '1';
    for (uint32_t t = 700; t <= 3700; t += 100) feed(bad + "\r\n", t);
    EXPECT_STREQ(streams.GpsSentence, Gsa.c_str());
    EXPECT_EQ(streams.GpsSentenceReady, 0);
    EXPECT_EQ(framer.LastAcceptedTick(), 600u);
    EXPECT_FALSE(GpsConnectionBreakDue(3600, framer.LastAcceptedTick(), 0));
    EXPECT_TRUE(GpsConnectionBreakDue(3601, framer.LastAcceptedTick(), 0));
    EXPECT_FALSE(GpsConnectionBreakDue(3601, framer.LastAcceptedTick(), 1));  // a break is being handled
    EXPECT_FALSE(GpsConnectionBreakDue(100, 0xFFFFFF00u, 0));                 // 356 ms across the wrap
    EXPECT_TRUE(GpsConnectionBreakDue(2900, 0xFFFFFF00u, 0));
}

}  // namespace
}  // namespace tesselog
