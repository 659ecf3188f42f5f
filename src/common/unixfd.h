#pragma once
// Owns one open file descriptor and closes it exactly once.

#include <utility>

namespace Common {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.fd_, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes the descriptor held (if any) and takes fd instead.
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// The events of fd pending now (poll with no wait, EINTR retried); 0 when
// none or when the poll itself failed.
short PollNow(int fd, short events);

} // namespace Common
