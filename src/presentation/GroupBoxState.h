#pragma once

#include <QColor>
#include <QString>

class MeasurementDocument;

// One setting edit of the group box (MiddleEdit, SigmaEdit, SigmaEdit2): shown or not, its text,
// and whether it takes typing (a fixed setting) or only shows the automatic value.
struct SettingEditState {
    bool Visible = true;
    QString Text;
    bool ReadOnly = true;
    QColor Colour() const; // the edit's background: grey while read-only, white while editable
};

// The settings half of the group box for one chart slot and its selected group: the centre-line
// switch and edit, the sigma switch and its two edits with their unit labels, the basis of the
// means' limits (RadioGroup1), and the count of the group's points kept out of the limits. The
// box copies it onto its controls.
struct GroupBoxState {
    QString MiddleCaption; // MiddleCheckBox; empty where the mode has no centre-line setting
    bool MiddleAutomatic = true; // MiddleCheckBox ticked
    SettingEditState Middle;
    QString MiddleUnits; // Label3: "%" on the relative slots, else the document's units

    bool SigmaCheckVisible = true;
    bool SigmaAutomatic = true; // SigmaCheckBox ticked
    SettingEditState Sigma; // Label4 (the units) shows with it
    QString SigmaUnits;
    SettingEditState SigmaPercent; // Label5 ("%") shows with it

    bool RadioGroupVisible = false;
    int RadioItem = 0; // 0: the sample deviation, 1: the range

    // How many of the group's points are kept out of the limits; empty while none is.
    QString ExcludedText;

    static QColor ReadOnlyColour();
    static QColor EditableColour();
};

// The state for slot and its selected group; false (and state untouched) when no valid group is
// selected on the slot.
bool GroupBoxStateFor(const MeasurementDocument& doc, int slot, GroupBoxState& state);

// The state without results: empty read-only edits, both switches ticked, the centre caption of
// the centre-line slot and the document's units; no RadioGroup1.
GroupBoxState EmptyGroupBoxState(const MeasurementDocument& doc);
