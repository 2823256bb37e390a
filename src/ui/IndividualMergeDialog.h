#pragma once

#include "ui/GroupMergeDialog.h"

// The merge dialog of individual-values documents: centre, deviation and mean range per pane.
class TfmGroupConfDialog : public GroupMergeDialog {
    Q_OBJECT
public:
    explicit TfmGroupConfDialog(Messenger& messenger, QWidget* parent = nullptr);
};
