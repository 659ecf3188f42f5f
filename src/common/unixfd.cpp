#include "common/unixfd.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace Common {

void UniqueFd::reset(int fd)
{
    if (fd_ >= 0)
        ::close(fd_); // EINTR is not retried on Linux: the descriptor is gone either way
    fd_ = fd;
}

short PollNow(int fd, short events)
{
    pollfd entry{fd, events, 0};
    int n = 0;
    do
        n = ::poll(&entry, 1, 0);
    while (n < 0 && errno == EINTR);
    return n == 1 ? entry.revents : 0;
}

} // namespace Common
