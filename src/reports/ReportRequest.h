#pragma once

#include "program/LaboratoryNames.h"

#include "model/GroupRecord.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

class MeasurementDocument;

// What the analyst chose in the report options window: the data table and the charts, each with
// the range of point numbers as typed into its two lists, and for a chart whether its result
// sections list every criterion.
struct RangeChoice {
    bool Checked = false;
    QString FirstText; // the start list's text
    QString LastText; // the end list's text
    bool Detailed = false; // charts only
};

struct ReportRequest {
    RangeChoice Data;
    std::array<RangeChoice, ChartSlotCount> Charts; // by chart slot
    std::array<QString, ChartSlotCount> Captions; // the chart boxes' captions, by slot
    QString DataCaption = QStringLiteral("  Таблиця даних ");
    bool Notes = false; // the notes and corrective actions of the points
    bool ChangeLog = false; // the change log with the check of its chain
    // "Як застосовуються критерії": how every rule is applied. A template folder of an older
    // installation may lack its template; the report is then made without it.
    bool Rules = true;
};

// The five templates, in the order they are checked.
const QStringList& ReportTemplateNames();
// The folder of templates beside the program, and a template's full name in it.
QString ReportTemplateFolder(const QString& programFolder);
QString ReportTemplatePath(const QString& templateFolder, const QString& name);

// The message for the first missing template, or nothing when all five exist.
std::optional<QString> MissingTemplateMessage(const QString& templateFolder);
// The same, then the templates of the notes and the change log when the request has them.
std::optional<QString> MissingTemplateMessage(const QString& templateFolder, const ReportRequest& request);
inline const QString NotesTemplateName = QStringLiteral("notes.fr3");
inline const QString ChangeLogTemplateName = QStringLiteral("log.fr3");
inline const QString RulesTemplateName = QStringLiteral("rules.fr3");

// The largest point number a box's end list offers: the point count, or for the moving-range
// chart of individual values the number of moving ranges. slot -1 is the data table.
int RangeEndLimit(const MeasurementDocument& doc, int slot);

// A checked box's range as numbers; nothing when a text is not a whole number.
struct PointRange {
    int First = 0;
    int Last = 0;
};
std::optional<PointRange> ParseRange(const RangeChoice& choice);

// A range of point numbers as one chart can print it: each end at most the chart's last value
// (RangeEndLimit), so a chart with fewer values ends at its last. An inverted range stays inverted.
PointRange ClampToChart(const MeasurementDocument& doc, int slot, PointRange range);

// Checks the ranges of the checked boxes of the document's mode in the order the window checks
// them; the message for the first wrong one, or nothing. A typed number outside the lists is as
// wrong as an inverted range; a text that is not a whole number gets the number message.
std::optional<QString> CheckRanges(const MeasurementDocument& doc, const ReportRequest& request);

// Which chart slots the report of the document's mode offers, in slot order.
std::vector<int> ReportSlots(const MeasurementDocument& doc);

// A request as the window makes it when it opens, with captions from the chart pages: the notes
// section chosen when any point carries a note or an exclusion, the change log not.
ReportRequest DefaultReportRequest(const MeasurementDocument& doc);
// The caption of a chart box: the chart page's caption with one blank before and after.
QString ChartBoxCaption(const MeasurementDocument& doc, int slot);
