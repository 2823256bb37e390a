#include "actions/GroupMerge.h"

#include "model/Messenger.h"
#include "model/Numbers.h"

#include <algorithm>

namespace {

constexpr std::array<MergeLine, 3> individualLines { MergeLine::Centre, MergeLine::Sigma, MergeLine::RangeCentre };
constexpr std::array<MergeLine, MergeLineCount> subgroupLines { MergeLine::Centre, MergeLine::Sigma,
    MergeLine::MedianCentre, MergeLine::DeviationCentre, MergeLine::RelDeviationCentre, MergeLine::RangeCentre,
    MergeLine::RelRangeCentre };

} // namespace

std::span<const MergeLine> MergeLines(bool individual)
{
    if (individual)
        return individualLines;
    return subgroupLines;
}

TFixableValue& SettingOf(TIndividualInfo& group, MergeLine line)
{
    return const_cast<TFixableValue&>(SettingOf(std::as_const(group), line));
}

const TFixableValue& SettingOf(const TIndividualInfo& group, MergeLine line)
{
    switch (line) {
    case MergeLine::Centre:
        return group.CentreSetting;
    case MergeLine::Sigma:
        return group.SigmaSetting;
    case MergeLine::MedianCentre:
        return group.MedianCentreSetting;
    case MergeLine::DeviationCentre:
        return group.DeviationCentreSetting;
    case MergeLine::RelDeviationCentre:
        return group.RelDeviationCentreSetting;
    case MergeLine::RangeCentre:
        return group.RangeCentreSetting;
    case MergeLine::RelRangeCentre:
        return group.RelRangeCentreSetting;
    }
    return group.CentreSetting;
}

QString MergeLineCaption(MergeLine line)
{
    switch (line) {
    case MergeLine::Centre:
        return QStringLiteral("Автоматично обчислювати середнє: ");
    case MergeLine::Sigma:
        return QStringLiteral("Автоматично обчислювати відхилення:");
    case MergeLine::MedianCentre:
        return QStringLiteral("Автоматично обчислювати середню медіану:");
    case MergeLine::DeviationCentre:
        return QStringLiteral("Автоматично обчислювати середнє вибіркове відхилення:");
    case MergeLine::RelDeviationCentre:
        return QStringLiteral("Автоматично обчислювати середнє відносне відхилення:");
    case MergeLine::RangeCentre:
        return QStringLiteral("Автоматично обчислювати середній розмах:");
    case MergeLine::RelRangeCentre:
        return QStringLiteral("Автоматично обчислювати середній відносний розмах:");
    }
    return QString();
}

QString MergeLineMessage(MergeLine line)
{
    switch (line) {
    case MergeLine::Centre:
        return QStringLiteral("Некоректно задано середнє!");
    case MergeLine::Sigma:
        return QStringLiteral("Некоректно задано відхилення!");
    case MergeLine::MedianCentre:
        return QStringLiteral("Некоректно задано середню медіану!");
    case MergeLine::DeviationCentre:
        return QStringLiteral("Некоректно задано середнє стандартне відхилення!");
    case MergeLine::RelDeviationCentre:
        return QStringLiteral("Некоректно задано середнє відносне відхилення!");
    case MergeLine::RangeCentre:
        return QStringLiteral("Некоректно задано середній розмах!");
    case MergeLine::RelRangeCentre:
        return QStringLiteral("Некоректно задано середній відносний розмах!");
    }
    return QString();
}

bool SameSettings(const TIndividualInfo& g1, const TIndividualInfo& g2)
{
    const bool individual = g1.Individual;
    for (MergeLine line : MergeLines(individual)) {
        const TFixableValue& a = SettingOf(g1, line);
        const TFixableValue& b = SettingOf(g2, line);
        if (a.Fixed != b.Fixed)
            return false;
        // Automatic values are whatever the last compute found; they do not count.
        if (a.Fixed && a.Value != b.Value)
            return false;
    }
    // Any difference of basis counts: the merged group keeps g1's basis only when both agree.
    return individual || g1.UseSampleDeviation == g2.UseSampleDeviation;
}

std::optional<MergeDecision> DecideMerge(bool individual, const MergeEntries& entries, Messenger& messenger)
{
    MergeDecision decision;
    for (MergeLine line : MergeLines(individual)) {
        const size_t index = size_t(line);
        TFixableValue& setting = decision.Settings[index];
        if (entries.Automatic[index])
            continue;
        const std::optional<double> value = ParseNumber(NormaliseDecimalComma(entries.Texts[index]));
        if (!value || !(*value > 0.0)) {
            messenger.ShowMessage(MergeLineMessage(line));
            return std::nullopt;
        }
        setting = { true, *value };
        decision.Decimals = std::max(decision.Decimals, DecimalsOf(TrimBlanks(entries.Texts[index])));
    }
    decision.UseSampleDeviation = individual || entries.UseSampleDeviation;
    return decision;
}

void ApplyMergeDecision(TIndividualInfo& g1, bool individual, const MergeDecision& decision)
{
    auto setting = [&](MergeLine line) { return decision.Settings[size_t(line)]; };
    if (individual) {
        g1.SetIndividualSettings(
            setting(MergeLine::Centre), setting(MergeLine::Sigma), setting(MergeLine::RangeCentre));
        return;
    }
    g1.SetSubgroupSettings(setting(MergeLine::Centre), setting(MergeLine::Sigma), setting(MergeLine::DeviationCentre),
        setting(MergeLine::RelDeviationCentre), setting(MergeLine::MedianCentre), setting(MergeLine::RangeCentre),
        setting(MergeLine::RelRangeCentre), decision.UseSampleDeviation);
}

TIndividualInfo SplitRecord(const TIndividualInfo& group, bool individual)
{
    TIndividualInfo record(individual);
    if (individual) {
        record.SetIndividualSettings(group.CentreSetting, group.SigmaSetting, group.RangeCentreSetting);
    } else {
        record.SetSubgroupSettings(group.CentreSetting, group.SigmaSetting, group.DeviationCentreSetting,
            group.RelDeviationCentreSetting, group.MedianCentreSetting, group.RangeCentreSetting,
            group.RelRangeCentreSetting, group.UseSampleDeviation);
    }
    return record;
}
