// The export's outputs replaced together or not at all, on a file system
// held in memory: an earlier output held open by another program (locked),
// a step of the replacement that fails, a missing output folder.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/export/output_set.h"
#include "core/platform/memory_file_system.h"

namespace tesselog {
namespace {

const std::vector<std::string> Names = {"out/t.csv", "out/t.xyz", "out/t-lines.csv", "out/t.asc"};

struct Folder {
    MemoryFileSystem fs;
    std::vector<std::string> messages;
    Folder() { fs.Directories.insert(fs.Resolve("out")); }
    // The earlier export: "old " and the name in each file (of the first `count`).
    void Earlier(size_t count = 4) {
        for (size_t i = 0; i < count; ++i) fs.Files[fs.Resolve(Names[i])] = "old " + Names[i];
    }
    // A new export of every name; the result of its commit. `held` is held
    // by another program from when the new files are written.
    bool Export(const std::string& held = {}) {
        OutputSet set(fs, [this](const std::string& text) { messages.push_back(text); });
        for (const std::string& name : Names) {
            if (!set.WriteAll(name, "new " + name)) return false;
        }
        if (!held.empty()) fs.Locked.insert(fs.Resolve(held));
        return set.Commit();
    }
    // Every file there, by name.
    std::map<std::string, std::string> Files() const { return {fs.Files.begin(), fs.Files.end()}; }
    std::map<std::string, std::string> All(const char* what, size_t count = 4) {
        std::map<std::string, std::string> files;
        for (size_t i = 0; i < count; ++i) files[fs.Resolve(Names[i])] = std::string(what) + " " + Names[i];
        return files;
    }
};

TEST(ExportOutputSet, ReplacesAnEarlierExportWhole) {
    Folder fresh;
    EXPECT_TRUE(fresh.Export());
    EXPECT_EQ(fresh.Files(), fresh.All("new"));
    Folder earlier;
    earlier.Earlier();
    EXPECT_TRUE(earlier.Export());
    EXPECT_EQ(earlier.Files(), earlier.All("new"));  // no part or old file left
    EXPECT_TRUE(earlier.messages.empty());
}

// Whichever earlier output cannot be replaced, and at whichever step the
// replacement fails, the earlier export stays whole, nothing else is left,
// and the message names the file.
TEST(ExportOutputSet, AnOutputThatCannotBeReplacedLeavesTheEarlierSetWhole) {
    for (size_t held = 0; held < Names.size(); ++held) {
        Folder f;
        f.Earlier();
        EXPECT_FALSE(f.Export(Names[held]));
        EXPECT_EQ(f.Files(), f.All("old")) << Names[held];
        ASSERT_EQ(f.messages.size(), 1u);
        EXPECT_EQ(f.messages[0], "cannot replace " + Names[held] +
                                     " (open in another program, or not a file); the earlier outputs are left as "
                                     "they were");
    }
    // A step of the commit that fails: moving an earlier file aside (its
    // aside name taken), or putting a new one in place (its temporary held).
    for (size_t k = 0; k < Names.size(); ++k) {
        for (const std::string& held : {AsideName(Names[k]), TemporaryName(Names[k])}) {
            Folder f;
            f.Earlier();
            EXPECT_FALSE(f.Export(held));
            EXPECT_EQ(f.Files(), f.All("old")) << held;
            ASSERT_EQ(f.messages.size(), 1u);
            EXPECT_NE(f.messages[0].find(Names[k]), std::string::npos) << f.messages[0];
        }
    }
    // An earlier export of two of the outputs: when the last new one cannot
    // be put in place, the third, new, goes again.
    Folder part;
    part.Earlier(2);
    EXPECT_FALSE(part.Export(TemporaryName(Names[3])));
    EXPECT_EQ(part.Files(), part.All("old", 2));
    // A folder in the place of an output: it cannot be replaced either.
    Folder folder;
    folder.fs.Directories.insert(folder.fs.Resolve("out/t.asc"));
    EXPECT_FALSE(folder.Export());
    EXPECT_TRUE(folder.Files().empty());
}

TEST(ExportOutputSet, AMissingFolderIsNamed) {
    MemoryFileSystem fs;
    std::vector<std::string> messages;
    fs.Directories.insert(fs.Resolve("out"));
    OutputSet set(fs, [&](const std::string& text) { messages.push_back(text); });
    EXPECT_TRUE(set.WriteAll("out/t.csv", "x"));
    EXPECT_EQ(set.Create("out/t.csv"), nullptr);
    fs.ReadOnly = true;  // no file can be made
    EXPECT_EQ(set.Create("raw/survey.csv"), nullptr);
    EXPECT_EQ(set.Create("out/t.xyz"), nullptr);
    const std::vector<std::string> expected = {"out/t.csv would be written twice", "the output folder raw does not exist",
                                               "cannot write out/t.xyz"};
    EXPECT_EQ(messages, expected);
}

}  // namespace
}  // namespace tesselog
