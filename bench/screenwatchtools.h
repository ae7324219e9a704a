#pragma once

// The plain parts of screenwatch: its clock, its options, its way out on an error, and the
// peak memory of the watched program.

#include <sys/types.h>

double monotonicMs();

// Prints "screenwatch: " and the message to standard error and ends with status.
[[noreturn]] void fail(int status, const char *format, ...);

//   screenwatch [--quiet-ms 150] [--wait-ms 200] [--timeout-ms 10000] [--log FILE]
//               [--verbose] -- PROGRAM ARGS...
//
// --wait-ms is the program's wait between its backdrop and its drill window, for the
// figure tick_estimate_to_painted. --log sends the program's output to FILE. --verbose
// prints every event to standard error. Status 0 with the figures on standard output; 2
// when nothing was painted in time or the program ended first; 1 for a usage or X error.
struct Options {
    double quietMs = 150;
    double waitMs = 200;
    double timeoutMs = 10000;
    const char *log = nullptr;
    bool verbose = false;
    char **program = nullptr;
};

Options readOptions(int argc, char **argv);

// Peak resident memory of a process in MB, from /proc; negative if it cannot be read.
double peakMemoryMb(pid_t pid);
