#pragma once

#include "ui/GroupMergeDialog.h"

// The merge dialog of subgroup documents: seven settings and the deviation basis per pane.
class TfmGroupConfDialogBig : public GroupMergeDialog {
    Q_OBJECT
public:
    explicit TfmGroupConfDialogBig(Messenger& messenger, QWidget* parent = nullptr);
};
