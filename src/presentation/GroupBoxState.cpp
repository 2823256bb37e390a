#include "presentation/GroupBoxState.h"

#include "actions/GroupSettings.h"
#include "model/FixedFormatter.h"
#include "model/MeasurementDocument.h"
#include "model/Numbers.h"
#include "presentation/CountWords.h"

QColor SettingEditState::Colour() const
{
    return ReadOnly ? GroupBoxState::ReadOnlyColour() : GroupBoxState::EditableColour();
}

QColor GroupBoxState::ReadOnlyColour()
{
    return QColor(200, 200, 200); // the classic scroll-bar grey
}

QColor GroupBoxState::EditableColour()
{
    return QColor(Qt::white);
}

bool GroupBoxStateFor(const MeasurementDocument& doc, int slot, GroupBoxState& state)
{
    const int selected = doc.SelectedGroup()[size_t(slot)];
    if (selected < 0 || size_t(selected) >= doc.Groups().size())
        return false;
    const TIndividualInfo& group = doc.Groups()[size_t(selected)];
    const bool individual = doc.IndividualMode();
    const int decimals = doc.DisplayPrecision();
    const QString units = TrimBlanks(doc.Units()).toString();
    const bool relative = slot == SlotRelDeviation || slot == SlotRelRanges;

    const TFixableValue* middle = MiddleSetting(group, slot);
    state.MiddleCaption = MiddleCaption(individual, slot);
    state.MiddleAutomatic = middle && !middle->Fixed;
    state.Middle.Visible = true;
    state.Middle.Text = middle ? FormatFixed(middle->Value, decimals) : QString();
    state.Middle.ReadOnly = !middle || !middle->Fixed;
    state.MiddleUnits = relative ? QStringLiteral("%") : units;

    const bool sigmaShown = individual || slot != SlotMedians;
    const bool sigmaAutomatic = !group.SigmaSetting.Fixed;
    state.SigmaCheckVisible = sigmaShown;
    state.SigmaAutomatic = sigmaAutomatic;
    state.Sigma.Visible = sigmaShown && (individual || !relative);
    state.Sigma.Text = FormatFixed(group.SigmaSetting.Value, decimals);
    state.Sigma.ReadOnly = sigmaAutomatic;
    state.SigmaUnits = units;
    state.SigmaPercent.Visible = sigmaShown;
    state.SigmaPercent.Text = FormatFixed(SigmaPercent(group), decimals);
    state.SigmaPercent.ReadOnly = sigmaAutomatic;

    state.RadioGroupVisible = !individual && slot == SlotCentre && sigmaAutomatic;
    state.RadioItem = group.UseSampleDeviation ? 0 : 1;

    const int excluded = group.ExcludedPointCount();
    state.ExcludedText
        = excluded > 0 ? QStringLiteral("виключено з обчислення меж: ") + PointCountText(excluded) : QString();
    return true;
}

GroupBoxState EmptyGroupBoxState(const MeasurementDocument& doc)
{
    GroupBoxState state;
    state.MiddleCaption = MiddleCaption(doc.IndividualMode(), SlotCentre);
    state.MiddleUnits = TrimBlanks(doc.Units()).toString();
    state.SigmaUnits = state.MiddleUnits;
    return state;
}
