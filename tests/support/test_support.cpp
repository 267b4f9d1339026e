#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace fs = std::filesystem;

namespace tesselog::test {

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path dir = fs::temp_directory_path() /
                   ("tesselog-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(dir);
    path_ = dir.string();
    if (path_.back() != '/' && path_.back() != '\\') path_ += static_cast<char>(fs::path::preferred_separator);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Restore write permission first, so read-only test folders go as well.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TestDataPath(const std::string& relative) { return std::string(TESSELOG_TEST_DATA) + "/" + relative; }

void ExpectMatchesGolden(const std::string& name, const std::string& actual) {
    std::string path = TestDataPath("golden/" + name);
    const char* update = std::getenv("TESSELOG_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        WriteFileBytes(path, actual);
        return;
    }
    if (!fs::exists(path)) {
        ADD_FAILURE() << "golden file missing: " << path;
        return;
    }
    std::string expected = ReadFileBytes(path);
    if (expected == actual) return;
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    ADD_FAILURE() << "differs from golden/" << name << " at byte " << at << " (expected " << expected.size()
                  << " bytes, got " << actual.size() << ")\n  expected: "
                  << Printable(expected.substr(at >= 20 ? at - 20 : 0, 60))
                  << "\n  actual:   " << Printable(actual.substr(at >= 20 ? at - 20 : 0, 60));
}

std::string ReceiverBytes(const std::string& file) {
    std::string out;
    size_t at = 0;
    while (at < file.size()) {
        size_t lf = file.find('\n', at);
        if (lf == std::string::npos) lf = file.size();
        std::string line = file.substr(at, lf - at);
        at = lf + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '#') continue;
        out += line + "\r\n";
    }
    return out;
}

std::string Printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string SentenceName(std::string_view text) {
    std::string out;
    for (char c : text.substr(0, std::min(text.find(','), size_t{10}))) out += (c > 0x20 && c < 0x7F) ? c : '.';
    return out.empty() ? "-" : out;
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string AskPtyHelper(const std::string& request) {
    static std::atomic<int> requests{0};  // unique over all cases of the run
    const std::string base = Env("TESSELOG_PORT_DIR") + "/probe-" + std::to_string(++requests);
    WriteFileBytes(base + ".tmp", request + "\n");
    std::rename((base + ".tmp").c_str(), (base + ".req").c_str());
    for (int waited = 0; waited < 10000; waited += 10) {
        std::ifstream in(base + ".ans", std::ios::binary);
        if (in) return std::string(std::istreambuf_iterator<char>(in), {});
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "no answer from the pty helper to " << request;
    return "";
}

}  // namespace tesselog::test
