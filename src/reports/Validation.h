#pragma once

#include "model/Messenger.h"
#include "reports/ProgramIdentity.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class MeasurementDocument;

// The validation pack: published control-chart examples (data/validation: cases.json and one CSV
// per case) with the numbers their sources print. Every case is built as a document in memory,
// computed and analysed by the engine the window uses, and each published number is compared with
// the program's within the rounding of its source. Numbers the pack marks as not comparable or as
// computed for the pack are shown beside the others and never count.
namespace validation {

inline const QString PackFolderName = QStringLiteral("validation");
inline const QString CasesFileName = QStringLiteral("cases.json");

enum class LineKind { None, Lower, Centre, Upper };

// One entry of a case's "published": a single number (Line set), or a series of per-point values
// (Points and Values, Line None). Points are the document's point numbers; a moving range is
// numbered by the first point of its pair.
struct PublishedEntry {
    QString What;
    int Slot = -1;
    LineKind Line = LineKind::None;
    int Group = 1; // from 1
    std::optional<double> Published;
    QString Printed;
    std::vector<int> Points;
    std::vector<double> Values;
    int Decimals = 0;
    bool Comparable = false;
    std::optional<double> Tolerance;
    QString ToleranceBasis;
    QString Method;
    QString Reason; // why it is not comparable
};

// Out-of-control points a source reports: the points of Slots where the program's Westgard rule
// and ISO test (both "beyond the 3-sigma limits") must be met, and nowhere else.
struct RuleHitEntry {
    QString What;
    std::vector<int> Slots;
    std::optional<int> Group; // all groups when not stated
    std::vector<int> Points;
    int WestgardRule = 0;
    int IsoTest = 0;
    bool Counts = false;
    QString Reason; // why it does not count
};

// A setting fixed in a later group from a result of an earlier one: the earlier group's slot-0
// centre line, or its mean range, mean moving range or mean sample deviation divided by Divisor.
struct FixedFrom {
    enum class Source { Centre, MeanRange, MeanMovingRange, MeanDeviation };
    Source From = Source::Centre;
    int Group = 1; // from 1
    double Divisor = 1.0;
};

struct GroupSetup {
    int FirstRow = 0; // rows of the CSV, from 1
    int LastRow = 0;
    std::optional<FixedFrom> Centre;
    std::optional<FixedFrom> Sigma;
};

struct ValidationCase {
    QString Id;
    QString Title;
    QString File;
    bool Individual = true;
    int SubgroupSize = 0; // 0 for individual values
    QStringList Source; // "key: text" for every field of "source", in order
    QString SourceSummary; // the document and where in it, one line
    QString Licence;
    std::vector<GroupSetup> Groups;
    std::optional<bool> UseSampleDeviation;
    std::vector<std::pair<QString, int>> Charts; // the source's chart names and their slots
    std::vector<PublishedEntry> Published;
    std::vector<RuleHitEntry> RuleHits;
    QStringList NotPublished; // computed for the pack or unverified; shown, never counted
    std::vector<QStringList> Rows; // the CSV's value texts, one list per row
    QStringList Errors; // what of the case could not be read
};

struct ValidationPack {
    QString Folder;
    std::vector<ValidationCase> Cases;
    QString Error; // the pack itself could not be read
};

// Reads folder/cases.json and the CSVs it names. Never throws; what is wrong is in Error or in
// the cases' Errors.
ValidationPack LoadValidationPack(const QString& folder);
// The pack delivered with the program (the data folder's "validation").
QString DeliveredPackFolder();

// One counted comparison.
struct Check {
    QString What;
    double Published = 0;
    int Decimals = 0;
    double Computed = 0;
    bool Ok = false;
    double Tolerance = 0;
    QString Basis; // how the tolerance was formed
    // Rule hits compare points, not a number: the published and the found points as text
    // (Published and Computed then count them). Empty for a number.
    QString PublishedText;
    QString ComputedText;
};

// A number shown beside the checks that does not count.
struct ShownNumber {
    QString What;
    QString Published; // as printed, or empty
    std::optional<double> Computed; // the program's value where it has one
    QString Note;
};

// A computed document kept for the chart pictures. The messenger outlives the document.
struct CaseDocument {
    std::unique_ptr<Messenger> Messages;
    std::unique_ptr<MeasurementDocument> Document;
    CaseDocument();
    ~CaseDocument();
    CaseDocument(CaseDocument&&) noexcept;
    CaseDocument& operator=(CaseDocument&&) noexcept;
};

struct CaseResult {
    QString Id;
    QString Title;
    QString Source;
    QStringList SourceLines;
    QString Licence;
    bool Ok = false;
    std::vector<Check> Checks;
    std::vector<ShownNumber> Shown;
    QStringList Errors;
    std::vector<std::pair<QString, int>> Charts;
    CaseDocument Computed; // Document null when the case could not be computed
};

struct PackResult {
    ProgramIdentity Identity;
    QString Folder;
    bool Ok = false;
    QString Error;
    std::vector<CaseResult> Cases;
    int CheckCount() const;
    int AgreeingCount() const;
};

// |computed - published| within tolerance, allowing only for the binary representation of the two
// decimal numbers (a few units in the last place), never for more.
bool WithinTolerance(double computed, double published, double tolerance);

// Builds, computes and compares one case. A case agrees when it could be read and computed, has at
// least one comparable published number, and every check agrees.
CaseResult RunCase(const ValidationCase& c);

// Every case of the pack; progress(done, total) after each case, false to stop (the cases not run
// are then missing and the pack does not agree).
using Progress = std::function<bool(int done, int total)>;
PackResult RunPack(const ValidationPack& pack, const ProgramIdentity& identity, const Progress& progress = {});

// The comparison as JSON, keys in a fixed order that scripts rely on:
// {"ok", "version", "commit", "binary_sha256", "cases": [{"id", "title", "source", "ok",
//  "checks": [{"what", "published", "decimals", "computed", "ok"}]}]}, numbers that read back to
// the same double. Ends with a line break.
QString PackJson(const PackResult& result);

// The human-readable summary meridan-cli prints: one line per case, the disagreements and errors,
// and the verdict.
QString PackSummary(const PackResult& result);

// The verdict texts of the report and the summary.
QString VerdictText(bool ok);

} // namespace validation
