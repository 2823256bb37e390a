#include "ui/SubgroupMergeDialog.h"

TfmGroupConfDialogBig::TfmGroupConfDialogBig(Messenger& messenger, QWidget* parent)
    : GroupMergeDialog(false, messenger, parent)
{
    setObjectName(QStringLiteral("fmGroupConfDialogBig"));
    setFixedSize(862, 545);
    // CheckBox/Edit numbers per line: earlier group, later group, new group.
    static constexpr LineNames lines[] = {
        { MergeLine::Centre, { 7, 2, 15 } },
        { MergeLine::Sigma, { 8, 3, 16 } },
        { MergeLine::MedianCentre, { 9, 4, 17 } },
        { MergeLine::DeviationCentre, { 10, 5, 18 } },
        { MergeLine::RelDeviationCentre, { 11, 6, 19 } },
        { MergeLine::RangeCentre, { 12, 13, 20 } },
        { MergeLine::RelRangeCentre, { 1, 14, 21 } },
    };
    BuildPanes({ QRect(8, 8, 419, 266), QRect(435, 8, 419, 266), QRect(8, 282, 846, 220) },
        { "GroupBox1", "GroupBox4", "GroupBox3" }, lines, 334, 68);
    BuildBasisChoices(214);
    PlaceButtons(512);
}
