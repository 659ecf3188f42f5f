#pragma once
// The command line: --help and --version are answered on the terminal before
// anything needs a window system; Qt's own options pass through to the
// application object.

enum class CommandLine { Run, Answered, Refused };

// Answers --help and --version; an unknown option is refused with a hint on
// standard error. Run: start the program.
CommandLine HandleCommandLine(int argc, char* argv[]);
