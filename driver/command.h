// The whole command, callable in-process: settings, start-up, sweep and
// reports, with the exit status the process should end with.

#ifndef DRIVER_COMMAND_H_
#define DRIVER_COMMAND_H_

#include <iosfwd>

// Exit statuses of the command.
constexpr int kExitOk = 0;
constexpr int kExitNoArguments = 1;
constexpr int kExitRefused = 2;     // the input was refused
constexpr int kExitIncomplete = 3;  // something asked for is missing

// Runs the command on `argv`; data goes to `out`, diagnostics and progress
// to `err`. Returns the exit status; never ends the process.
int run_command_line(int argc, const char* const* argv, std::ostream& out,
                     std::ostream& err);

#endif  // DRIVER_COMMAND_H_
