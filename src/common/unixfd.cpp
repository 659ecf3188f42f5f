#include "common/unixfd.h"

#include <unistd.h>

namespace Common {

void UniqueFd::reset(int fd)
{
    if (fd_ >= 0)
        ::close(fd_); // EINTR is not retried on Linux: the descriptor is gone either way
    fd_ = fd;
}

} // namespace Common
