#pragma once
// The command line: --help, --version and --print-record are answered on the
// terminal before anything needs a window system; Qt's own options pass
// through to the application object.

enum class CommandLine { Run, Answered, Refused, Failed };

// Answers --help, --version and --print-record; an unknown option is refused
// with a hint on standard error, a record that cannot be read fails. Run:
// start the program.
CommandLine HandleCommandLine(int argc, char* argv[]);
