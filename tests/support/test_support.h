// Helpers shared by the unit tests: temporary folders, whole-file reads and
// byte-exact comparison with the checked-in golden files.
#pragma once

#include <string>

namespace tesselog::test {

// A fresh empty folder, removed with everything in it at the end of scope.
// Path() ends with a separator so file names can be appended.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Path of a file below tests/ in the source tree.
std::string TestDataPath(const std::string& relative);

// Compares bytes with tests/golden/<name>. A missing golden file is a
// failure. With TESSELOG_UPDATE_GOLDEN=1 in the environment (native runs
// only, on purpose) the golden file is rewritten instead.
void ExpectMatchesGolden(const std::string& name, const std::string& actual);

// The stream a receiver would send from a recorded capture: "#" header lines
// dropped, every line ended with CR LF.
std::string ReceiverBytes(const std::string& capture);

// Bytes shown readably in failure messages: non-printables as \xNN.
std::string Printable(const std::string& bytes);

}  // namespace tesselog::test
