#pragma once

#include <optional>

namespace simat::app {

// Answers "--version", "--check-install" and "--help" without opening a window, before the
// application starts; the exit code when one of them was given, else nothing and the program
// starts as usual. "--check-install" prints where the program finds its guides and exits with
// 1 when one of them is missing there.
std::optional<int> answerCommandLine(int argc, char *argv[]);

} // namespace simat::app
