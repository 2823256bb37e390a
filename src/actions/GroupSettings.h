#pragma once

#include "model/GroupRecord.h"

#include <QString>

class MeasurementDocument;

// The model side of the group box: the window forwards the analyst's clicks and typed texts for
// the current chart slot; each edit applies to the slot's selected group (SelectedGroup), and an
// accepted edit marks the document changed and recomputes that group's lines and criteria when
// the document is computed.
// Every edit returns whether it was accepted; a refused edit changes nothing.

// The setting that MiddleCheckBox and MiddleEdit show on a slot; nullptr where the mode has none.
TFixableValue* MiddleSetting(TIndividualInfo& group, int slot);
const TFixableValue* MiddleSetting(const TIndividualInfo& group, int slot);

// The caption of MiddleCheckBox on a slot; empty where the mode has no setting.
QString MiddleCaption(bool individual, int slot);

// What SigmaEdit2 shows: sigma in per cent of the centre line, never divided by less than 1e-6.
double SigmaPercent(const TIndividualInfo& group);

// MiddleCheckBox: ticked means automatic.
bool MiddleCheckBoxClick(MeasurementDocument& doc, int slot, bool ticked);

// SigmaCheckBox: ticked means automatic; fixing it starts from the group's MeanDeviation.
bool SigmaCheckBoxClick(MeasurementDocument& doc, int slot, bool ticked);

// RadioGroup1: item 0 bases the limits of the means on the sample deviation, item 1 on the range.
bool RadioGroup1Click(MeasurementDocument& doc, int slot, int itemIndex);

// MiddleEdit, SigmaEdit and SigmaEdit2 left or confirmed with Enter. Only a fixed setting takes a
// typed value. A text that is not a number shows "Некоректно задане число!", a number not above 0
// "Значення має бути додатнім!". An accepted text raises DisplayPrecision to its decimals.
// SigmaEdit2 takes sigma in per cent of the centre line.
bool MiddleEditSubmit(MeasurementDocument& doc, int slot, const QString& text);
bool SigmaEditSubmit(MeasurementDocument& doc, int slot, const QString& text);
bool SigmaEdit2Submit(MeasurementDocument& doc, int slot, const QString& text);
