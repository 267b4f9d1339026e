// Runs every file of a saved corpus folder through a fuzz target once, so the
// inputs that once found faults (and the seeds) are checked on every test run,
// natively and for Windows, without clang or libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    std::error_code ec;
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1], ec))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    if (ec || inputs.empty()) {
        std::fprintf(stderr, "no corpus in %s\n", argv[1]);
        return 1;
    }
    for (const auto& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu corpus inputs replayed\n", inputs.size());
    return 0;
}
