#include "bench/screenwatchtools.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <time.h>

double monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

[[noreturn]] void fail(int status, const char *format, ...)
{
    std::fputs("screenwatch: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::exit(status);
}

Options readOptions(int argc, char **argv)
{
    Options options;
    const auto number = [&](int &i) {
        if (i + 1 >= argc) {
            fail(1, "%s needs a number", argv[i]);
        }
        char *end = nullptr;
        const double value = std::strtod(argv[++i], &end);
        if (*end != '\0' || value < 0) {
            fail(1, "%s takes a number of milliseconds, not \"%s\"", argv[i - 1], argv[i]);
        }
        return value;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            if (i + 1 < argc) {
                options.program = argv + i + 1;
            }
            break;
        } else if (arg == "--quiet-ms") {
            options.quietMs = number(i);
        } else if (arg == "--wait-ms") {
            options.waitMs = number(i);
        } else if (arg == "--timeout-ms") {
            options.timeoutMs = number(i);
        } else if (arg == "--log" && i + 1 < argc) {
            options.log = argv[++i];
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else {
            fail(1, "unknown option %s", argv[i]);
        }
    }
    if (!options.program) {
        fail(1, "usage: screenwatch [--quiet-ms MS] [--wait-ms MS] [--timeout-ms MS] "
                "[--log FILE] [--verbose] -- PROGRAM ARGS...");
    }
    return options;
}

double peakMemoryMb(pid_t pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    FILE *status = std::fopen(path.c_str(), "r");
    if (!status) {
        return -1;
    }
    double kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kb = std::strtod(line + 6, nullptr);
            break;
        }
    }
    std::fclose(status);
    return kb < 0 ? -1 : kb / 1024.0;
}
