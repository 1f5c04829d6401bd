#pragma once
// The program's command line without its window: reports of the history, help, version.
#include <QStringList>
#include <QTextStream>
#include <functional>

namespace lt {

enum ReportExit : int { kReportDone = 0, kReportUnreadable = 1, kReportUsage = 2 };

// The arguments after the program's name, as the system handed them over.
QStringList programArguments(int argc, const char* const* argv);

// Does the command line ask for the command line rather than the window? Any option does.
bool wantsReportCommand(const QStringList& args);

// Runs the command line (the arguments after the program's name) and returns the exit
// status. The history is the one defaultDatabase names unless --database says otherwise;
// it is asked for only when a report needs it.
int runReportCommand(const QStringList& args, const std::function<QString()>& defaultDatabase,
                     QTextStream& out, QTextStream& err);

}  // namespace lt
