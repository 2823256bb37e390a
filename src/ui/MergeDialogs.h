#pragma once

#include "statistics/GroupMerge.h"

class Messenger;
class QWidget;
class TfmGroupConfDialog;
class TfmGroupConfDialogBig;

// The program's answer to merge questions: the dialog of the question's mode, created once and
// refilled at every merge, shown modally.
class MergeDialogs final : public MergeDecider {
public:
    MergeDialogs(Messenger& messenger, QWidget* parent);
    ~MergeDialogs() override;

    std::optional<MergeDecision> AskMerge(const MergeQuestion& question) override;

    TfmGroupConfDialog& Small() const { return *m_small; }
    TfmGroupConfDialogBig& Big() const { return *m_big; }

private:
    TfmGroupConfDialog* m_small; // owned by parent when there is one
    TfmGroupConfDialogBig* m_big;
    bool m_owned;
};
