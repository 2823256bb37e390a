#pragma once

#include "actions/GroupMerge.h"

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
    // Dialogs without a parent take the window of anchor as their parent while they are shown,
    // so that they stay above it, its message boxes included.
    void ShowOver(QWidget* anchor) { m_anchor = anchor; }

    TfmGroupConfDialog& Small() const { return *m_small; }
    TfmGroupConfDialogBig& Big() const { return *m_big; }

private:
    TfmGroupConfDialog* m_small; // owned by parent when there is one
    TfmGroupConfDialogBig* m_big;
    bool m_owned;
    QWidget* m_anchor = nullptr;
};
