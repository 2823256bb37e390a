#pragma once

#include <QStringList>

// Each command takes the arguments after its name and returns the exit status:
// 0 success, 1 a load, compute or drawing failure, 2 a usage error.
int RunInfo(const QStringList& args);
int RunResave(const QStringList& args);
int RunAnalyse(const QStringList& args);
int RunChart(const QStringList& args);
int RunReport(const QStringList& args);
int RunExamples(const QStringList& args); // the example documents the program offers
int RunImport(const QStringList& args);
int RunExport(const QStringList& args);
// Prints the change log; 1 when its hash chain breaks, 2 when the file cannot be read.
int RunLog(const QStringList& args);
int RunAnnotate(const QStringList& args); // one point's note, action or exclusion, logged and saved
// Computes the published examples of the validation pack and compares; 1 when any disagrees.
int RunValidate(const QStringList& args);
