#pragma once
// Start-up, the message loop and the writes at exit.

namespace nibblet {

// Runs the program; returns the exit code of the quit message.
int runApplication(int argc, char** argv);

}  // namespace nibblet
