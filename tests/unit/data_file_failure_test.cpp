// A data file whose disk fills up or goes away: no torn record, nothing
// written after the failure, the recording stopped with one message and a
// new file accepted afterwards; and the flushes at their pace and places.
#include <gtest/gtest.h>

#include <functional>

#include "core/datafile/data_file_writers.h"
#include "core/platform/memory_file_system.h"
#include "tests/support/logging_session_fixture.h"

namespace tesselog {
namespace {

using test::SessionHarness;

const std::string Sentence60 = "$GPGGA,120000.00,5959.0000,N,01030.0000,E,4,12,0.8,95.0,M,,,";

TEST(DataFileFailure, AFailedWriteIsCutBackAndEndsTheWriting) {
    struct Case {
        const char* name;
        size_t room;       // bytes free after the first record
        bool shortWrites;  // the part that fits is written first
        bool flushFails;
        bool failed;
    };
    const Case cases[] = {
        {"group fits", 200, true, false, false},
        {"group torn by a full disk", 50, true, false, true},
        {"group refused whole", 50, false, false, true},
        {"disk removed, flush fails", 200, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem fs;
        DataFile file{fs};
        Settings settings;
        ManualClock clock;
        ConsoleStreams consoles;
        LoggingStatus logging;
        DataFileWriter writer{file, settings, clock, consoles, logging};
        ASSERT_TRUE(file.Open("E:\\a.mgr"));
        writer.WriteEventRecord("$STARTED", 'X');
        fs.Capacity = RecordLength + c.room;
        fs.ShortWrites = c.shortWrites;
        fs.FlushFails = c.flushFails;

        file.Flush();
        writer.WriteGpsRecords(Sentence60, 5, '@', '#');  // 108 bytes, one write
        EXPECT_EQ(file.WriteFailed(), c.failed);
        const std::string& bytes = fs.Files["E:\\a.mgr"];
        EXPECT_EQ(bytes.size(), c.failed ? 27u : 135u);
        // A record that would fit now is not written after a failure: the
        // file would have a gap nobody sees.
        fs.Capacity = SIZE_MAX;
        writer.WriteEventRecord("PAUSED", 'X');
        EXPECT_EQ(bytes.size() % RecordLength, 0u);
        EXPECT_EQ(bytes.size(), c.failed ? 27u : 162u);

        ASSERT_TRUE(file.Open("F:\\b.mgr"));  // a new file starts with a clean slate
        EXPECT_FALSE(file.WriteFailed());
    }
}

TEST(DataFileFailure, AFileThatCannotBeReopenedIsNotMadeAnew) {
    MemoryFileSystem fs;
    DataFile file{fs};
    ASSERT_TRUE(file.Open("E:\\a.mgr"));
    file.Append(std::string(26, 'X') + "\n");
    fs.Locked.insert("E:\\a.mgr");  // the disk is gone; the path cannot be opened
    EXPECT_FALSE(file.CloseAndReopen());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.WriteFailed());
    fs.Locked.clear();
    EXPECT_EQ(fs.Files["E:\\a.mgr"].size(), 27u);
}

// How the disk fails while recording.
enum class Fault { FullDiskGpsGroup, RemovedDiskFlush, ReopenAtPause };

TEST(DataFileFailure, RecordingStopsOnceWithAMessageAndANewFileCanFollow) {
    for (Fault fault : {Fault::FullDiskGpsGroup, Fault::RemovedDiskFlush, Fault::ReopenAtPause}) {
        SCOPED_TRACE(static_cast<int>(fault));
        SessionHarness h;
        h.StartIn(1);
        ASSERT_EQ(h.session.Recording.Logging.LoggingState, 1);
        const size_t before = h.Data().size();
        switch (fault) {
        case Fault::FullDiskGpsGroup:
            h.files.Capacity = before + 60;  // the GPS reader's group does not fit
            h.session.Recording.Writer.WriteGpsRecords(Sentence60, h.clock.CurrentTick, '@', '#');
            break;
        case Fault::RemovedDiskFlush: h.files.FlushFails = true; break;
        case Fault::ReopenAtPause:
            h.files.Locked.insert(SessionHarness::DataFile);
            h.Click(460);  // "P A U S E": "PAUSED" is written, the reopen fails
            h.files.Locked.clear();
            break;
        }
        for (int tick = 0; tick < 3; ++tick) {
            h.clock.CurrentTick += 1000;
            for (int k = 0; k < MaxConsoles; ++k) h.session.Recording.Consoles.ConsoleLastDataTick[k] = h.clock.CurrentTick;
            h.session.OnWatchTimer();
            h.session.Recording.Writer.WriteGpsRecords(Sentence60, h.clock.CurrentTick, '@', '#');
        }
        int messages = 0;
        for (const auto& m : h.prompts.History) {
            if (m.Caption != "FILE ERROR") continue;
            ++messages;
            EXPECT_EQ(m.Text, std::string(WriteFailedText) + "\r\n" + SessionHarness::DataFile);
        }
        EXPECT_EQ(messages, 1);
        EXPECT_EQ(h.session.Recording.Logging.LoggingState, 0);
        EXPECT_FALSE(h.session.Recording.File.IsOpen());
        EXPECT_EQ(h.Data().size() % RecordLength, 0u);
        EXPECT_EQ(h.Data().size(), before + (fault == Fault::ReopenAtPause ? RecordLength : 0));
        EXPECT_TRUE(h.controls.SetVisible[0] && !h.controls.SetVisible[1] && !h.controls.SetVisible[2]);
        EXPECT_TRUE(h.controls.FileButtonEnabled);
        EXPECT_FALSE(h.controls.PauseHintShown);
        EXPECT_EQ(h.controls.StatusWord, "Monitoring");

        // Another disk: "&File", then "&Go" records there.
        h.files.Capacity = SIZE_MAX;
        h.files.FlushFails = false;
        h.fileDialogs.Answers.push_back(u"D:\\after.mgr");
        h.Key('f');
        h.Key('g');
        EXPECT_EQ(h.session.Recording.Logging.LoggingState, 1);
        const std::string& after = h.files.Files["D:\\after.mgr"];
        EXPECT_EQ(after.size(), 12u * RecordLength);  // header block, time record, "$STARTED"
        EXPECT_EQ(after.compare(11 * RecordLength, 9, "X$STARTED"), 0);
    }
}

TEST(DataFileFailure, AHeaderThatDoesNotFitIsReportedAndLeavesNoFile) {
    SessionHarness h;
    h.session.StartLogging();
    h.files.Capacity = 5 * RecordLength;
    h.fileDialogs.Answers.push_back(u"C:\\261204_000.mgr");
    h.Key('f');
    EXPECT_EQ(h.session.Recording.Logging.LoggingState, 0);
    EXPECT_FALSE(h.session.Recording.File.IsOpen());
    EXPECT_EQ(h.files.Files.count(SessionHarness::DataFile), 0u);
    ASSERT_FALSE(h.prompts.History.empty());
    EXPECT_EQ(h.prompts.History.back().Caption, "FILE ERROR");
}

TEST(DataFileFailure, FlushesAtTheirPaceAndPlaces) {
    SessionHarness h;
    h.StartIn(-1);
    auto tick = [&h] {
        h.clock.CurrentTick += 1000;
        for (int k = 0; k < MaxConsoles; ++k) h.session.Recording.Consoles.ConsoleLastDataTick[k] = h.clock.CurrentTick;
        h.session.OnWatchTimer();
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        int flushes;
    };
    const Step steps[] = {
        {"watch while standing by", tick, 1},
        {"go", [&h] { h.Key('g'); }, 0},
        {"watch while recording", tick, 1},
        {"pause", [&h] { h.Click(460); }, 1},
        {"new line", [&h] {
             h.dialogs.NewLines.push_back({true, "7", 0, 1.0});
             h.Key('l');
         }, 1},
        {"quick line", [&h] {
             h.prompts.Answers.push_back(true);
             h.Key('q');
         }, 1},
        {"exit", [&h] {
             h.prompts.Answers.push_back(true);
             h.Key('x');
         }, 1},
    };
    for (const Step& step : steps) {
        const int before = h.files.Flushes;
        step.act();
        EXPECT_EQ(h.files.Flushes - before, step.flushes) << step.what;
    }
    EXPECT_EQ(h.session.Recording.Logging.LoggingState, 0);
}

}  // namespace
}  // namespace tesselog
