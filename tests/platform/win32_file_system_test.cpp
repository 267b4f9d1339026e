// Win32FileSystem against the real API: open modes with writes at the start
// and at the end, no sharing and directories.
#include <gtest/gtest.h>

#include <string>

// windows.h first: the file system's SetCurrentDirectory is its macro's name everywhere.
#include "windows/platform_services.h"

#include "core/datafile/data_file.h"
#include "core/export/output_set.h"
#include "core/platform/stdio_file_system.h"
#include "support/test_support.h"

namespace tesselog::win32 {
namespace {

std::string ReadAll(File& file) {
    std::string out;
    char buffer[64];
    size_t n;
    while ((n = file.Read(buffer, sizeof buffer)) > 0) out.append(buffer, n);
    return out;
}

TEST(Win32FileSystem, OpenModes) {
    struct Case {
        const char* name;
        OpenMode mode;
        bool existsBefore;
        bool opens;
        bool canRead;
        bool canWrite;
        const char* contentAfter;  // after writing "xy" at the start and "z" at the end, when writable
    };
    const Case cases[] = {
        {"read existing", OpenMode::ReadExisting, true, true, true, false, "abc"},
        {"read missing", OpenMode::ReadExisting, false, false, false, false, nullptr},
        {"create over existing", OpenMode::CreateTruncate, true, true, false, true, "xyz"},
        {"create missing", OpenMode::CreateTruncate, false, true, false, true, "xyz"},
        {"read-write existing", OpenMode::ReadWriteExisting, true, true, true, true, "xycz"},
        {"read-write missing", OpenMode::ReadWriteExisting, false, false, false, false, nullptr},
        {"read-write always, existing", OpenMode::ReadWriteAlways, true, true, true, true, "xycz"},
        {"read-write always, missing", OpenMode::ReadWriteAlways, false, true, true, true, "xyz"},
    };
    Win32FileSystem fs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        const std::string path = folder.Path() + "f.bin";
        if (c.existsBefore) test::WriteFileBytes(path, "abc");
        {
            std::unique_ptr<File> file = fs.Open(path, c.mode);
            ASSERT_EQ(file != nullptr, c.opens);
            if (!file) {
                EXPECT_EQ(fs.Exists(path), c.existsBefore);  // a failed open creates nothing
                continue;
            }
            char byte;
            if (c.canRead) {
                EXPECT_EQ(ReadAll(*file), c.existsBefore ? "abc" : "");
            } else {
                EXPECT_EQ(file->Read(&byte, 1), 0u);
            }
            ASSERT_TRUE(file->SeekToStart());
            EXPECT_EQ(file->Write("xy", 2), c.canWrite);
            ASSERT_TRUE(file->SeekToEnd());
            EXPECT_EQ(file->Write("z", 1), c.canWrite);
        }
        EXPECT_EQ(test::ReadFileBytes(path), c.canWrite ? c.contentAfter : "abc");
    }
}

// The replays read the data file at offsets while it stays open for
// appending: each read leaves the handle where it was, at the end.
TEST(Win32FileSystem, ReadsAtAnOffsetKeepTheWritingPosition) {
    test::TempFolder folder;
    Win32FileSystem fs;
    const std::string path = folder.Path() + "replay.mgr";
    test::WriteFileBytes(path, "0123456789");
    {
        DataFile file(fs);
        ASSERT_TRUE(file.Open(path, OpenMode::ReadWriteExisting));
        ASSERT_TRUE(file.SeekToEnd());
        char buffer[8] = {};
        EXPECT_EQ(file.ReadAt(3, buffer, 4), 4u);
        EXPECT_EQ(std::string(buffer, 4), "3456");
        EXPECT_EQ(file.ReadAt(8, buffer, 8), 2u);  // short at the end
        EXPECT_EQ(file.ReadAt(20, buffer, 8), 0u);
        EXPECT_EQ(file.Size(), 10u);
        file.Append("ab", 2);
        EXPECT_EQ(file.ReadAt(10, buffer, 8), 2u);
        file.Append("c", 1);
    }
    EXPECT_EQ(test::ReadFileBytes(path), "0123456789abc");
}

// The cut-back of a failed write: the file ends where that write began and
// the next write goes there; a flush of a file on a working disk succeeds.
TEST(Win32FileSystem, TruncateCutsBackAndFlushSucceeds) {
    test::TempFolder folder;
    Win32FileSystem fs;
    const std::string path = folder.Path() + "cut.mgr";
    std::unique_ptr<File> file = fs.Open(path, OpenMode::ReadWriteAlways);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->Write("0123456789", 10));
    EXPECT_TRUE(file->Flush());
    EXPECT_TRUE(file->Truncate(4));
    EXPECT_EQ(file->Position(), 4u);
    ASSERT_TRUE(file->Write("ab", 2));
    file.reset();
    EXPECT_EQ(test::ReadFileBytes(path), "0123ab");
}

// The settings file's save: the new file takes the old one's name, or a
// name that is free; the new file's own name is gone afterwards.
TEST(Win32FileSystem, ReplacePutsTheNewFileInTheOldOnesPlace) {
    test::TempFolder folder;
    Win32FileSystem fs;
    const std::string target = folder.Path() + "TESSELWIN.INI", fresh = target + ".new";
    for (const char* before : {"old", ""}) {
        SCOPED_TRACE(before);
        if (*before) test::WriteFileBytes(target, before);
        test::WriteFileBytes(fresh, "new");
        EXPECT_TRUE(fs.Replace(fresh, target));
        EXPECT_EQ(test::ReadFileBytes(target), "new");
        EXPECT_FALSE(fs.Exists(fresh));
        EXPECT_TRUE(fs.Remove(target));
    }
    EXPECT_FALSE(fs.Replace(fresh, target));  // nothing to move
    EXPECT_FALSE(fs.Exists(target));
}

TEST(Win32FileSystem, AnOpenFileCannotBeOpenedAgain) {
    test::TempFolder folder;
    Win32FileSystem fs;
    const std::string path = folder.Path() + "held.mgr";
    std::unique_ptr<File> held = fs.Open(path, OpenMode::ReadWriteAlways);
    ASSERT_NE(held, nullptr);
    for (OpenMode mode : {OpenMode::ReadExisting, OpenMode::CreateTruncate, OpenMode::ReadWriteExisting,
                          OpenMode::ReadWriteAlways})
        EXPECT_EQ(fs.Open(path, mode), nullptr) << static_cast<int>(mode);
    EXPECT_FALSE(fs.Remove(path));
    test::WriteFileBytes(folder.Path() + "other", "o");
    EXPECT_FALSE(fs.Replace(path, folder.Path() + "other"));  // neither moved away
    EXPECT_FALSE(fs.Replace(folder.Path() + "other", path));  // nor replaced
    EXPECT_EQ(test::ReadFileBytes(folder.Path() + "other"), "o");
    held.reset();
    EXPECT_NE(fs.Open(path, OpenMode::ReadExisting), nullptr);
    EXPECT_TRUE(fs.Remove(path));
    EXPECT_FALSE(fs.Exists(path));
}

// The export's outputs when another program holds one of the earlier ones
// open without sharing (as a spreadsheet holds a CSV): the export's own file
// system (stdio, as tesselog-export.exe uses it) replaces none of them.
TEST(Win32FileSystem, AnExportOutputHeldOpenLeavesTheEarlierSetWhole) {
    test::TempFolder folder;
    const std::string names[] = {"t.csv", "t.xyz", "t.asc"};
    for (const std::string& name : names) test::WriteFileBytes(folder.Path() + name, "old " + name);
    Win32FileSystem windows;
    std::unique_ptr<File> held = windows.Open(folder.Path() + "t.xyz", OpenMode::ReadWriteExisting);
    ASSERT_NE(held, nullptr);
    StdioFileSystem fs;
    std::string message;
    {
        OutputSet set(fs, [&message](const std::string& text) { message = text; });
        for (const std::string& name : names) ASSERT_TRUE(set.WriteAll(folder.Path() + name, "new " + name));
        EXPECT_FALSE(set.Commit());
    }
    held.reset();
    EXPECT_NE(message.find("cannot replace " + folder.Path() + "t.xyz"), std::string::npos) << message;
    for (const std::string& name : names) {
        EXPECT_EQ(test::ReadFileBytes(folder.Path() + name), "old " + name);
        EXPECT_FALSE(fs.Exists(TemporaryName(folder.Path() + name))) << name;
        EXPECT_FALSE(fs.Exists(AsideName(folder.Path() + name))) << name;
    }
}

TEST(Win32FileSystem, Directories) {
    test::TempFolder folder;
    Win32FileSystem fs;
    const std::string dir = folder.Path() + "Temp";
    EXPECT_TRUE(fs.MakeDirectory(dir));
    EXPECT_TRUE(fs.MakeDirectory(dir));          // an existing folder is no error
    EXPECT_FALSE(fs.MakeDirectory(dir + "\\a\\b"));  // only one level at a time
    test::WriteFileBytes(folder.Path() + "plain", "x");
    EXPECT_FALSE(fs.MakeDirectory(folder.Path() + "plain"));  // a file of that name
    EXPECT_EQ(fs.Open(dir, OpenMode::ReadExisting), nullptr);  // a folder is no file

    wchar_t before[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, before), 0u);
    ASSERT_TRUE(fs.SetCurrentDirectory(dir));
    { ASSERT_NE(fs.Open("WYNIKBAD.TXT", OpenMode::CreateTruncate), nullptr); }
    EXPECT_TRUE(fs.Exists(dir + "\\WYNIKBAD.TXT"));
    EXPECT_FALSE(fs.SetCurrentDirectory(dir + "\\missing"));
    SetCurrentDirectoryW(before);
}

}  // namespace
}  // namespace tesselog::win32

namespace tesselog::win32 {
namespace {

// A data folder under a user name of letters beyond 8 bits: the path the
// file dialog gives is taken by the folder's short name, which 8-bit text
// holds, and names the same folder; an 8-bit path stays as it is.
TEST(Win32FileSystem, AFolderBeyondEightBitsIsTakenByItsShortName) {
    test::TempFolder folder;
    const std::wstring base = WidenBytes(folder.Path());
    const std::wstring user = base + L"\u0141ukasz \u0416";  // Łukasz Ж
    ASSERT_TRUE(CreateDirectoryW(user.c_str(), nullptr));
    const std::wstring chosen = user + L"\\261209_000.mgr";
    const std::wstring taken = WithShortFolder(chosen);
    EXPECT_EQ(FirstNon8BitCharacter(CodeUnits(taken)), AllCharactersFit) << NarrowToBytes(taken);
    EXPECT_EQ(taken.substr(taken.size() - 15), L"\\261209_000.mgr");
    HANDLE file = CreateFileW(taken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_NE(GetFileAttributesW(chosen.c_str()), INVALID_FILE_ATTRIBUTES);  // the same file
    DeleteFileW(chosen.c_str());
    RemoveDirectoryW(user.c_str());
    const std::wstring plain = base + L"J\u00fcrgen\\a.mgr";  // ü fits 8 bits
    EXPECT_EQ(WithShortFolder(plain), plain);
}

}  // namespace
}  // namespace tesselog::win32
