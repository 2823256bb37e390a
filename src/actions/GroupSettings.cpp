#include "actions/GroupSettings.h"

#include "actions/DocumentCommands.h"
#include "compute/GroupCompute.h"
#include "model/MeasurementDocument.h"
#include "model/Messenger.h"
#include "model/Numbers.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Smallest centre line the per-cent form of sigma divides by.
constexpr double minimumCentre = 1e-6;

// The settings of the group a slot's box shows, edited here and handed back by refresh.
struct SelectedSettings {
    int Index = -1;
    TIndividualInfo Settings { true };
};

std::optional<SelectedSettings> selectedGroup(const MeasurementDocument& doc, int slot)
{
    if (slot < 0 || slot >= ChartSlotCount)
        return std::nullopt;
    const int index = doc.SelectedGroup()[size_t(slot)];
    if (index < 0 || size_t(index) >= doc.Groups().size())
        return std::nullopt;
    return SelectedSettings { index, SettingsCopy(doc.Groups()[size_t(index)]) };
}

// An accepted edit is stored with the document, so it marks it changed and the unsaved-changes
// question protects it.
void refresh(MeasurementDocument& doc, const SelectedSettings& group)
{
    doc.SetGroupSettings(group.Index, group.Settings);
    doc.MarkChanged();
    if (doc.IsComputed())
        RecomputeForDisplay(doc, group.Index);
}

// The typed number when it is a positive number; otherwise says why and gives nothing. The
// decimals typed raise the display precision first, whether or not the number is taken.
std::optional<double> positiveNumber(MeasurementDocument& doc, const QString& text)
{
    doc.RaiseDisplayPrecision(DecimalsOf(TrimBlanks(text)));
    const std::optional<double> value = ParseNumber(text);
    if (!value) {
        doc.messenger().ShowMessage(QStringLiteral("Некоректно задане число!"));
        return std::nullopt;
    }
    if (!(*value > 0.0)) {
        doc.messenger().ShowMessage(QStringLiteral("Значення має бути додатнім!"));
        return std::nullopt;
    }
    return value;
}

bool acceptTyped(MeasurementDocument& doc, const SelectedSettings& group, TFixableValue& setting, double value)
{
    setting.Value = value;
    refresh(doc, group);
    return true;
}

} // namespace

TFixableValue* MiddleSetting(TIndividualInfo& group, int slot)
{
    return const_cast<TFixableValue*>(MiddleSetting(std::as_const(group), slot));
}

const TFixableValue* MiddleSetting(const TIndividualInfo& group, int slot)
{
    if (group.Individual) {
        switch (slot) {
        case SlotCentre:
            return &group.CentreSetting;
        case SlotDeviation:
            return &group.RangeCentreSetting;
        default:
            return nullptr;
        }
    }
    switch (slot) {
    case SlotCentre:
        return &group.CentreSetting;
    case SlotMedians:
        return &group.MedianCentreSetting;
    case SlotDeviation:
        return &group.DeviationCentreSetting;
    case SlotRelDeviation:
        return &group.RelDeviationCentreSetting;
    case SlotRanges:
        return &group.RangeCentreSetting;
    case SlotRelRanges:
        return &group.RelRangeCentreSetting;
    default:
        return nullptr;
    }
}

QString MiddleCaption(bool individual, int slot)
{
    switch (slot) {
    case SlotCentre:
        return QStringLiteral("Автоматично обчислювати середнє:");
    case SlotMedians:
        return individual ? QString() : QStringLiteral("Автоматично обчислювати середню медіану:");
    case SlotDeviation:
        return individual ? QStringLiteral("Автоматично обчислювати середній ковзний розмах:")
                          : QStringLiteral("Автоматично обчислювати середнє вибіркове відхилення:");
    case SlotRelDeviation:
        return individual ? QString() : QStringLiteral("Автоматично обчислювати середнє відносне відхилення:");
    case SlotRanges:
        return individual ? QString() : QStringLiteral("Автоматично обчислювати середній розмах:");
    case SlotRelRanges:
        return individual ? QString() : QStringLiteral("Автоматично обчислювати середній відносний розмах:");
    default:
        return QString();
    }
}

double SigmaPercent(const TIndividualInfo& group)
{
    const double percent = group.SigmaSetting.Value * 100.0 / std::max(minimumCentre, group.CentreSetting.Value);
    return std::isfinite(percent) ? percent : 0.0;
}

bool MiddleCheckBoxClick(MeasurementDocument& doc, int slot, bool ticked)
{
    std::optional<SelectedSettings> group = selectedGroup(doc, slot);
    TFixableValue* setting = group ? MiddleSetting(group->Settings, slot) : nullptr;
    if (!setting)
        return false;
    setting->Fixed = !ticked;
    refresh(doc, *group);
    return true;
}

bool SigmaCheckBoxClick(MeasurementDocument& doc, int slot, bool ticked)
{
    std::optional<SelectedSettings> group = selectedGroup(doc, slot);
    if (!group)
        return false;
    group->Settings.SigmaSetting.Fixed = !ticked;
    if (group->Settings.SigmaSetting.Fixed)
        group->Settings.SigmaSetting.Value = group->Settings.MeanDeviation;
    refresh(doc, *group);
    return true;
}

bool RadioGroup1Click(MeasurementDocument& doc, int slot, int itemIndex)
{
    std::optional<SelectedSettings> group = selectedGroup(doc, slot);
    if (!group || (itemIndex != 0 && itemIndex != 1))
        return false;
    group->Settings.UseSampleDeviation = itemIndex == 0;
    refresh(doc, *group);
    return true;
}

bool MiddleEditSubmit(MeasurementDocument& doc, int slot, const QString& text)
{
    std::optional<SelectedSettings> group = selectedGroup(doc, slot);
    TFixableValue* setting = group ? MiddleSetting(group->Settings, slot) : nullptr;
    if (!setting || !setting->Fixed)
        return false;
    const std::optional<double> value = positiveNumber(doc, text);
    if (!value)
        return false;
    return acceptTyped(doc, *group, *setting, *value);
}

bool SigmaEditSubmit(MeasurementDocument& doc, int slot, const QString& text)
{
    std::optional<SelectedSettings> group = selectedGroup(doc, slot);
    if (!group || !group->Settings.SigmaSetting.Fixed)
        return false;
    const std::optional<double> value = positiveNumber(doc, text);
    if (!value)
        return false;
    return acceptTyped(doc, *group, group->Settings.SigmaSetting, *value);
}

bool SigmaEdit2Submit(MeasurementDocument& doc, int slot, const QString& text)
{
    std::optional<SelectedSettings> group = selectedGroup(doc, slot);
    if (!group || !group->Settings.SigmaSetting.Fixed)
        return false;
    const std::optional<double> percent = positiveNumber(doc, text);
    if (!percent)
        return false;
    // The same floor as the per-cent display, so that a centre line at or below 0 cannot turn a
    // positive percentage into a sigma that is not positive.
    const double sigma = *percent * std::max(minimumCentre, group->Settings.CentreSetting.Value) / 100.0;
    if (!std::isfinite(sigma) || !(sigma > 0.0)) {
        doc.messenger().ShowMessage(QStringLiteral("Некоректно задане число!"));
        return false;
    }
    return acceptTyped(doc, *group, group->Settings.SigmaSetting, sigma);
}
