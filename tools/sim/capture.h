// Capture of what the simulated instruments sent: one raw file per port,
// PREFIX.<port>.raw, holding exactly the bytes of that line, and one text
// index, PREFIX.index, with a line per chunk: "<ms> <port> <offset> <length>"
// (time the chunk's first byte left, in whole milliseconds from the start;
// byte offset and length in the port's raw file). Lines starting with "#"
// are comments. A replay tool can feed a raw file as it is, or pace it with
// the index. Bytes the program wrote to the GPS port go to port "gps-in".
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tesselog::sim {

class CaptureWriter {
public:
    CaptureWriter() = default;
    ~CaptureWriter();
    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;

    bool Open(const std::string& prefix, const std::vector<std::string>& ports, const std::string& comment,
              std::string& error);
    void Write(int port, double seconds, const std::string& bytes);
    void Close();
    bool IsOpen() const { return index_ != nullptr; }

private:
    struct PortFile {
        std::string Name;
        std::FILE* File = nullptr;
        unsigned long long Offset = 0;
    };
    std::vector<PortFile> files_;
    std::FILE* index_ = nullptr;
};

}  // namespace tesselog::sim
