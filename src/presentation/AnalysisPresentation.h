#pragma once

#include "criteria/RuleTable.h"
#include "model/CriterionHit.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class MeasurementDocument;
struct PointNote;

// What the analyst reads about the criteria hits of one chart of one group: the list of criteria
// met, the verdict and the details tables. Toolkit-free, so the windows, the reports and the
// command-line companion show the same texts.

struct TextColour {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    friend bool operator==(const TextColour&, const TextColour&) = default;
};

inline constexpr TextColour CriticalVerdictColour { 255, 0, 0 };
inline constexpr TextColour WarningVerdictColour { 0, 128, 0 }; // also the in-control verdict

struct AnalysisVerdict {
    QString Text;
    bool Critical = false; // shown in red; otherwise green
    TextColour Colour = WarningVerdictColour;
};

// "Для групи виконуються умови таких критеріїв: " and the list, or the sentence for no criteria.
QString CriteriaSentence(const ErrorArray& hits);

// The verdict of one analysis of one chart.
AnalysisVerdict Verdict(CriteriaFamily family, const ErrorArray& hits);

// The rule or test text, e.g. "1. Один результат вийшов за межі 2 сигма"; empty outside 1..CriteriaCount.
QString CriterionText(CriteriaFamily family, int criterion);

// Whether a hit of this criterion makes the verdict critical.
bool IsCriticalCriterion(CriteriaFamily family, int criterion);

// "Критичний" or "Попереджуючий"; empty outside 1..CriteriaCount.
QString CriterionTypeText(CriteriaFamily family, int criterion);

// One row of a details grid, by its three columns.
struct DetailsRow {
    QString Criterion;
    QString Type;
    QString Points;
    friend bool operator==(const DetailsRow&, const DetailsRow&) = default;
};

// The rows of a details grid, indexed as the grid's rows: row 0 is the header, row r the
// criterion r. The points cell lists every hit of the criterion in hit order (" 3 , 7 ", " 3-4 ")
// or reads "Не відповідає критерію". Hits of criteria the family does not have are ignored.
std::vector<DetailsRow> DetailsGridRows(CriteriaFamily family, const ErrorArray& hits);

// The same with the dates of each hit's first and last point beside its numbers, so the analyst
// finds the day of the run in the laboratory journal: " 3 (05.01.2024) , 7-9 (09.01.2024 – 11.01.2024) ".
// pointDates[n - 1] is the date of point n (the document's PointDates); a hit whose points have
// no date shows its numbers only.
std::vector<DetailsRow> DetailsGridRows(CriteriaFamily family, const ErrorArray& hits, const QStringList& pointDates);

// The notes of the points one hit covers, as (point number, note text) in point order.
using HitNotes = std::function<std::vector<std::pair<int, QString>>(const TCriterionHit& hit)>;

// The same with the notes of the hit's points beside its numbers:
// " 17 (05.01.2024) (примітка: нова партія реактиву) , 20-22 (…) (точка 21, примітка: …) ".
// An empty notes function adds nothing.
std::vector<DetailsRow> DetailsGridRows(
    CriteriaFamily family, const ErrorArray& hits, const QStringList& pointDates, const HitNotes& notes);

// The document's notes as the details of chart slot s show them: point p of a hit is the point
// of that number; on the moving-range chart of individual values the range from p to p + 1,
// which carries the note of p + 1 (as the chart marks it). Empty when no point has a note.
HitNotes DocumentHitNotes(const MeasurementDocument& doc, int slot);

// A note as a details cell shows it: its first line, cut to a few words ("…" marks a cut); the
// action when there is no note.
QString NoteExcerpt(const PointNote& note);

// "05.01.2024", or "05.01.2024 – 07.01.2024" when the first and last point differ in date; empty
// when neither has one.
QString HitDatesText(const TCriterionHit& hit, const QStringList& pointDates);

inline std::vector<DetailsRow> WestgardDetailsRows(const ErrorArray& hits)
{
    return DetailsGridRows(CriteriaFamily::Westgard, hits);
}
inline std::vector<DetailsRow> IsoDetailsRows(const ErrorArray& hits)
{
    return DetailsGridRows(CriteriaFamily::Iso, hits);
}

// Everything the group box and the details window show for one analysis.
struct AnalysisDisplay {
    QString List; // CriteriaList of the hits, " 2, 1"
    QString Sentence; // the label text (Label1 for Westgard, Label26 for ISO 8258)
    AnalysisVerdict Verdict; // Label15 / Label28, in its colour
    std::vector<DetailsRow> Details; // StringGrid1 / StringGrid3 of the details window
};

AnalysisDisplay PresentAnalysis(CriteriaFamily family, const ErrorArray& hits);
// With the dates of the hits in the details (see DetailsGridRows).
AnalysisDisplay PresentAnalysis(CriteriaFamily family, const ErrorArray& hits, const QStringList& pointDates);

// Fixed captions of the group box part that shows one analysis.
QString AnalysisBoxCaption(CriteriaFamily family); // GroupBox1 / GroupBox2
inline const QString DetailsButtonCaption = QStringLiteral("Детальніше...");

// The details window as the Details1 / Details1a buttons open it on one chart page.
struct DetailsWindowLayout {
    QString Caption;
    int ClientWidth = 0;
    int ClientHeight = 0;
    int RowCount = 0; // header and one row per criterion
    std::array<int, 3> ColumnWidths {};
    QString HintKey; // the hint shown when the window becomes active
};

inline const QString DetailsWindowDefaultCaption = QStringLiteral("Деталі по карті");
inline const QString DetailsCloseCaption = QStringLiteral("Закрити");

DetailsWindowLayout DetailsWindowFor(CriteriaFamily family, const QString& pageCaption, int pageIndex);
