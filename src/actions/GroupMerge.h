#pragma once

#include "model/GroupRecord.h"

#include <QString>
#include <array>
#include <optional>
#include <span>

class Messenger;

// What two groups become when the separator between them goes: the settings of the merged group,
// decided without a question when both groups agree and by the analyst through the merge dialog
// of the document's mode otherwise.

// The settings a merge dialog shows, one line each, in the dialog's (table) order.
enum class MergeLine : int {
    Centre, // CentreSetting
    Sigma, // SigmaSetting
    MedianCentre, // MedianCentreSetting
    DeviationCentre, // DeviationCentreSetting
    RelDeviationCentre, // RelDeviationCentreSetting
    RangeCentre, // RangeCentreSetting
    RelRangeCentre, // RelRangeCentreSetting
};
constexpr int MergeLineCount = 7;

// The lines of the mode, top to bottom: centre, deviation and mean range in individual-values mode;
// all seven in subgroup mode.
std::span<const MergeLine> MergeLines(bool individual);

TFixableValue& SettingOf(TIndividualInfo& group, MergeLine line);
const TFixableValue& SettingOf(const TIndividualInfo& group, MergeLine line);

QString MergeLineCaption(MergeLine line); // "Автоматично обчислювати ..."
QString MergeLineMessage(MergeLine line); // the message of an invalid entry

// True when the merged group can simply keep g1's settings: the lines of the mode agree in being
// fixed, fixed lines agree in value, and in subgroup mode the deviation bases agree.
bool SameSettings(const TIndividualInfo& g1, const TIndividualInfo& g2);

// The new group's pane as the analyst left it: per line, ticked (automatic) and the edit's text.
struct MergeEntries {
    std::array<bool, MergeLineCount> Automatic { true, true, true, true, true, true, true };
    std::array<QString, MergeLineCount> Texts;
    bool UseSampleDeviation = true; // item 0 of the basis choice
};

// The merged group's settings, decided.
struct MergeDecision {
    std::array<TFixableValue, MergeLineCount> Settings {}; // by MergeLine; Value 0 where automatic
    bool UseSampleDeviation = true;
    int Decimals = 0; // the most decimals typed into a fixed line
};

// Checks the lines of the mode top to bottom. The first line that is fixed with a text that is not
// a number above 0 has its message shown, and nothing is decided.
std::optional<MergeDecision> DecideMerge(bool individual, const MergeEntries& entries, Messenger& messenger);

// Everything a merge dialog shows.
struct MergeQuestion {
    bool Individual = true;
    const TIndividualInfo* Earlier = nullptr;
    const TIndividualInfo* Later = nullptr;
    QString EarlierCaption; // the panes' captions
    QString LaterCaption;
    QString MergedCaption;
    int DisplayPrecision = 1; // decimals of the values shown
};

// Asks the analyst how the merged group is to be computed: the program answers with the merge
// dialogs, tests with a scripted fake. Nothing when the analyst cancels.
class MergeDecider {
public:
    virtual ~MergeDecider() = default;
    virtual std::optional<MergeDecision> AskMerge(const MergeQuestion& question) = 0;
};

// Gives g1 the decided settings (the setters of the mode) and raises nothing else.
void ApplyMergeDecision(TIndividualInfo& g1, bool individual, const MergeDecision& decision);

// A copy of the split group's settings for the new record of a separator insertion: three in
// individual-values mode, seven and the basis in subgroup mode.
TIndividualInfo SplitRecord(const TIndividualInfo& group, bool individual);
