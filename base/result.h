#pragma once

#include <QString>

// What an operation that can fail gives back: ok, or the reason why in words the learner
// reads (naming the file and the system's reason). Not ok until set, so a path that forgets
// to say how it went reads as a failure, never as a success.
struct Outcome {
    bool ok = false;
    QString error; // empty when ok

    void succeed()
    {
        ok = true;
        error.clear();
    }
    void fail(const QString &why)
    {
        ok = false;
        error = why;
    }
};

// An outcome with the value it brings when ok.
template <typename T> struct Result : Outcome {
    T value{};
};
