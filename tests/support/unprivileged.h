#pragma once
// Runs a check in a child process that has given up root: the tests run as
// root, which the system exempts from the refusals some of them are about.

#include <functional>

// The uid and gid of the unprivileged user the child becomes ("nobody").
constexpr unsigned kUnprivilegedId = 65534;

// Forks, drops to kUnprivilegedId and returns what body returned (0-255),
// or -1 when the child could not be started or drop root. The body runs
// in a copy of the test process: it should make system calls only.
int RunUnprivileged(const std::function<int()>& body);
