#pragma once

#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "model/MeasurementDocument.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <memory>

// Computed documents for the report tests.

// Individual values: groups of the given sizes, values cycling gently around 10.
std::unique_ptr<MeasurementDocument> IndividualDocument(Messenger& messenger, const std::vector<int>& groupSizes);

// Subgroups of `size` values: groups of the given numbers of subgroups.
std::unique_ptr<MeasurementDocument> SubgroupDocument(
    Messenger& messenger, int size, const std::vector<int>& groupSizes);

// A program on the PATH (poppler's tools), empty when it is not installed.
QString Tool(const char* name);
struct ToolResult {
    int ExitCode = -1;
    QString Output; // standard output
};
ToolResult RunProgram(const QString& program, const QStringList& arguments);
// The program's standard output.
QString RunTool(const QString& program, const QStringList& arguments);

// The folder of the templates delivered with the program.
QString DeliveredTemplateFolder();

namespace rpt {
class PreparedReport;
}

// A memo as laid out: its template object, its text lines joined by blanks, its colour.
struct LaidOutText {
    QString Object;
    QString Text;
    QColor Colour;
    int Page = 0;
};
std::vector<LaidOutText> LaidOutTexts(const rpt::PreparedReport& report);
// The texts of one template object, in page order.
QStringList TextsOf(const rpt::PreparedReport& report, const QString& object);
// How many pictures of the object were laid out.
int PictureCount(const rpt::PreparedReport& report, const QString& object);
