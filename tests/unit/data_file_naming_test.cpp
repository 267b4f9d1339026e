#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "core/common/eight_bit_text.h"
#include "core/datafile/data_file_naming.h"
#include "core/platform/memory_file_system.h"
#include "core/platform/stdio_file_system.h"
#include "support/test_support.h"

namespace tesselog {
namespace {

constexpr char Folder[] = "C:\\Survey\\";

struct NamingFixture : ::testing::Test {
    MemoryFileSystem fs;
    ManualClock clock;
    Settings settings;

    void SetUp() override {
        clock.CurrentTime = {2026, 12, 4};
        settings.DataFolder = Folder;
    }
    void AddFile(const std::string& name) { fs.Files[std::string(Folder) + name] = "TESSEL  W"; }
    std::string Propose() { return DefaultDataFileName(fs, clock, settings); }
};

TEST_F(NamingFixture, ProposesTheFirstFreeNumberOfToday) {
    EXPECT_EQ(Propose(), "261204_000");
    EXPECT_TRUE(fs.Directories.count(Folder));  // a missing folder is created
    EXPECT_EQ(fs.CurrentDirectory, Folder);

    AddFile("261204_000.mgr");
    AddFile("261204_001.mgr");
    AddFile("261203_002.mgr");
    EXPECT_EQ(Propose(), "261204_002");

    fs.Locked.insert(std::string(Folder) + "261204_002.mgr");  // in use: counts as free
    EXPECT_EQ(Propose(), "261204_002");

    settings.ConsoleCount = 0;  // GPS-only logging probes .gxy names
    EXPECT_EQ(Propose(), "261204_000");
    AddFile("261204_000.gxy");
    EXPECT_EQ(Propose(), "261204_001");

    settings.ConsoleCount = 3;  // all thousand taken: the last candidate, with its extension
    fs.Locked.clear();
    for (int n = 0; n <= 999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "261204_%03d.mgr", n);
        AddFile(name);
    }
    EXPECT_EQ(Propose(), "261204_999.mgr");
}

TEST(DataFileNameOfPath, NameUpToItsFirstPoint) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Data\\a.b.mgr", "a"},
        {"C:\\Survey.2026\\261204_003.MGR", "261204_003"},
        {"/home/op/dir.d/field", "field"},
        {"C:\\mixed/seps\\x.gxy", "x"},
        {"noFolder.mgr", "noFolder"},
    };
    for (const auto& [path, name] : cases) EXPECT_EQ(DataFileNameOfPath(path), name) << path;
    EXPECT_EQ(FolderOfPath("C:\\Survey.2026\\a.mgr"), "C:\\Survey.2026\\");
    EXPECT_EQ(FolderOfPath("a.mgr"), "");
}

struct CreateFixture : NamingFixture {
    DataFile file{fs};
    ConsoleStreams consoles;
    LoggingStatus logging;
    DataFileWriter writer{file, settings, clock, consoles, logging};
    ScriptedFileDialogs dialogs;
    RecordingPrompts prompts;
    int saves = 0;
    HeaderContext header;

    int Create(std::optional<std::u16string> answer) {
        dialogs.Answers.push_back(answer);
        DataFileCreation creation{fs, dialogs, prompts, settings, writer, logging, [this] { ++saves; }};
        return CreateDataFile(creation, header);
    }
};

TEST_F(CreateFixture, DialogOffersTheProposalAndTheFileType) {
    AddFile("261204_000.mgr");
    EXPECT_EQ(Create(std::nullopt), DataFileRefused);
    EXPECT_FALSE(file.IsOpen());
    settings.ConsoleCount = 0;
    Create(std::nullopt);
    ASSERT_EQ(dialogs.Requests.size(), 2u);
    const FileDialogRequest& r = dialogs.Requests[0];
    EXPECT_EQ(r.InitialName, "261204_001");
    EXPECT_EQ(r.InitialFolder, Folder);
    EXPECT_EQ(r.Filters.at(0).Pattern, "*.MGR");
    EXPECT_EQ(dialogs.Requests[1].Filters.at(0).Pattern, "*.GXY");
    EXPECT_EQ(settings.DataFolder, Folder);  // a cancel changes nothing
    EXPECT_EQ(saves, 0);
}

TEST_F(CreateFixture, ExistingFilesAreOpenedAtTheirStartAndLeftUnchanged) {
    const struct {
        std::string bytes;
        int result;
    } cases[] = {
        {"TESSEL  W216GPS0 0 20     \nH ...", DataFileExisting},
        {"TES", DataFileExisting},  // too short to tell: the validation refuses it
        {"", DataFileExisting},
        {"Dear diary,\n", DataFileRefused},
    };
    for (const auto& c : cases) {
        const std::string path = "D:\\Other.dir\\old.mgr";
        fs.Files[path] = c.bytes;
        EXPECT_EQ(Create(From8Bit(path)), c.result) << c.bytes;
        EXPECT_TRUE(file.IsOpen());
        char start[4] = {};
        EXPECT_EQ(file.Read(start, 3), std::min<size_t>(3, c.bytes.size()));
        EXPECT_EQ(std::string(start), c.bytes.substr(0, 3));
        EXPECT_EQ(fs.Files[path], c.bytes);
        EXPECT_EQ(header.DataFileName, "old");
        EXPECT_EQ(settings.DataFolder, "D:\\Other.dir\\");
        EXPECT_EQ(logging.LoggingState.load(), LoggingMonitoring);
        EXPECT_EQ(saves, 0);
        EXPECT_TRUE(prompts.History.empty());
        file.Close();
    }
}

TEST_F(CreateFixture, UncreatableFileIsReportedAndLeavesNothingOpen) {
    fs.ReadOnly = true;
    const std::string path = std::string(Folder) + "261204_000.mgr";
    EXPECT_EQ(Create(From8Bit(path)), DataFileRefused);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(logging.LoggingState.load(), LoggingMonitoring);
    EXPECT_EQ(saves, 0);
    ASSERT_EQ(prompts.History.size(), 1u);
    EXPECT_EQ(prompts.History[0].Caption, "FILE ERROR");
    EXPECT_EQ(prompts.History[0].Text,
              "The data file cannot be created:\r\n" + path + "\r\nThe folder " + Folder +
                  " cannot be written: this user may not create files there, or it is read-only.\r\nChoose "
                  "\"File\" again and, in \"Create Data File\", a folder you can write, such as your Documents "
                  "folder. The next data files are proposed in that folder.");
}

// A path of 8-bit characters is created (the data-folder scenario holds it
// end to end); one beyond them is refused, folder and name alike.
TEST_F(CreateFixture, APathBeyondEightBitTextIsRefused) {
    const std::pair<std::u16string, const char*> cases[] = {
        {u"C:\\\u0141\u00F3d\u017A\\261204_000.mgr", "Data folder: the character U+0141"},
        {u"C:\\Survey\\\u0141\u0105ka.mgr", "Data file name: the character U+0141"},
    };
    for (const auto& [chosen, refusal] : cases) {
        SCOPED_TRACE(refusal);
        prompts.History.clear();
        EXPECT_EQ(Create(chosen), DataFileRefused);
        EXPECT_EQ(settings.DataFolder, Folder);
        EXPECT_FALSE(file.IsOpen());
        ASSERT_EQ(prompts.History.size(), 1u);
        EXPECT_EQ(prompts.History[0].Caption, "WARNING");
        EXPECT_EQ(prompts.History[0].Text.rfind(refusal, 0), 0u) << prompts.History[0].Text;
        EXPECT_EQ(saves, 0);
    }
}

TEST_F(CreateFixture, NewFileOnDiskGetsItsHeaderAndStaysOpenAtItsEnd) {
    test::TempFolder temp;
    const auto cwd = std::filesystem::current_path();
    StdioFileSystem disk;
    DataFile diskFile(disk);
    DataFileWriter diskWriter(diskFile, settings, clock, consoles, logging);
    settings.DataFolder = temp.Path() + "new folder" + temp.Path().back();
    const std::string path = temp.Path() + "261204_000.mgr";
    std::string atSave;
    int result = 0;
    {
        dialogs.Answers.push_back(From8Bit(path));
        DataFileCreation creation{disk, dialogs, prompts, settings, diskWriter, logging,
                                  [&] { ++saves; atSave = test::ReadFileBytes(path); }};
        result = CreateDataFile(creation, header);
    }
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path() + "new folder"));  // created before the dialog
    EXPECT_EQ(dialogs.Requests[0].InitialName, "261204_000");
    EXPECT_EQ(result, DataFileCreated);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(atSave.size(), 11u * RecordLength);  // written and closed before the save
    EXPECT_EQ(settings.DataFolder, temp.Path());
    EXPECT_EQ(logging.LoggingState.load(), LoggingStandBy);
    EXPECT_TRUE(prompts.History.empty());

    ASSERT_TRUE(diskFile.IsOpen());
    diskFile.Append(FormatEventRecord(std::string(EventStarted), TypeEvent, 5));
    diskFile.Close();
    std::string bytes = test::ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 12u * RecordLength);
    EXPECT_EQ(bytes.substr(27, 13), "H 261204_00 2");
    EXPECT_EQ(bytes.substr(11 * 27, 9), "X$STARTED");
    std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace tesselog
