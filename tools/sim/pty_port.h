// One simulated serial line on a pseudo-terminal pair. The simulator keeps
// the master; the slave's path is what the program's COM port is mapped to.
// The slave stays open here too, so the pair lives on while the program
// closes and reopens its port.
#pragma once

#include <cstddef>
#include <string>

namespace tesselog::sim {

class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool Open(std::string& error);
    void Close();

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slave_path_; }

    // Non-blocking: returns the bytes the pty accepted (fewer once its buffer
    // is full because nobody reads the slave).
    size_t Write(const char* data, size_t length);
    // Non-blocking: 0 when nothing is waiting.
    size_t Read(char* buffer, size_t capacity);

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slave_path_;
};

}  // namespace tesselog::sim
