// Helpers shared by the unit tests: temporary folders, whole-file reads and
// byte-exact comparison with the checked-in golden files.
#pragma once

#include <string>
#include <string_view>

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

// The name of an NMEA sentence (its text up to the first comma), at most ten
// characters, blanks and non-ASCII bytes as '.', "-" when empty.
std::string SentenceName(std::string_view text);

// An environment variable, "" when it is not set.
std::string Env(const char* name);

// One request to the pty helper of tests/platform/run_port_tests.sh: written
// whole to TESSELOG_PORT_DIR/probe-N.req, the answer read from probe-N.ans.
// A failure and "" when no answer comes within 10 s.
std::string AskPtyHelper(const std::string& request);

}  // namespace tesselog::test
