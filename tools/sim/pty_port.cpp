#include "tools/sim/pty_port.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tesselog::sim {

namespace {

// Raw at once: otherwise the slave's line discipline would echo our bytes
// back to us and turn CR into LF until the program sets the port up.
bool MakeRaw(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

PtyPort::~PtyPort() { Close(); }

bool PtyPort::Open(std::string& error)
{
    Close();
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        error = std::string("openpty: ") + std::strerror(errno);
        return false;
    }
    slave_path_ = name;
    if (!MakeRaw(slave_) || !MakeRaw(master_)) {
        error = std::string("raw mode on ") + slave_path_ + ": " + std::strerror(errno);
        Close();
        return false;
    }
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = std::string("non-blocking master: ") + std::strerror(errno);
        Close();
        return false;
    }
    return true;
}

void PtyPort::Close()
{
    if (master_ >= 0) {
        close(master_);
    }
    if (slave_ >= 0) {
        close(slave_);
    }
    master_ = slave_ = -1;
}

size_t PtyPort::Write(const char* data, size_t length)
{
    size_t done = 0;
    while (done < length) {
        const ssize_t n = write(master_, data + done, length - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EAGAIN: the slave's input buffer is full
        }
    }
    return done;
}

size_t PtyPort::Read(char* buffer, size_t capacity)
{
    for (;;) {
        const ssize_t n = read(master_, buffer, capacity);
        if (n > 0) {
            return static_cast<size_t>(n);
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return 0;
    }
}

}  // namespace tesselog::sim
