#include "ui/IndividualMergeDialog.h"

TfmGroupConfDialog::TfmGroupConfDialog(Messenger& messenger, QWidget* parent)
    : GroupMergeDialog(true, messenger, parent)
{
    setObjectName(QStringLiteral("fmGroupConfDialog"));
    setFixedSize(762, 280);
    // CheckBox/Edit numbers per line: earlier group, later group, new group.
    static constexpr LineNames lines[] = {
        { MergeLine::Centre, { 7, 4, 1 } },
        { MergeLine::Sigma, { 8, 5, 2 } },
        { MergeLine::RangeCentre, { 9, 6, 3 } },
    };
    BuildPanes({ QRect(4, 8, 375, 112), QRect(383, 8, 375, 112), QRect(4, 128, 754, 112) },
        { "GroupBox1", "GroupBox4", "GroupBox3" }, lines, 284, 74);
    PlaceButtons(248);
}
