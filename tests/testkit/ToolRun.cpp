#include "ToolRun.h"

#include <QProcess>

ToolRun RunTool(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess tool;
    tool.start(program, arguments);
    ToolRun result;
    if (!tool.waitForFinished(timeoutMs)) {
        result.timedOut = true;
        tool.kill();
        tool.waitForFinished();
    } else if (tool.exitStatus() == QProcess::NormalExit) {
        result.exitCode = tool.exitCode();
    } else {
        result.crashed = true;
    }
    result.out = tool.readAllStandardOutput().toStdString();
    result.err = tool.readAllStandardError().toStdString();
    return result;
}
