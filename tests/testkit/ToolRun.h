#pragma once
// One run of a built program (mcftool) as a user starts it: its exit code,
// whether it crashed or had to be killed for running too long, its output.

#include <QString>
#include <QStringList>

#include <string>

struct ToolRun {
    int exitCode = -1; // -1 when it crashed or did not end
    bool crashed = false;
    bool timedOut = false;
    std::string out;
    std::string err;
};

// Runs the program to its end; one that runs longer than the timeout is killed.
ToolRun RunTool(const QString& program, const QStringList& arguments, int timeoutMs);
