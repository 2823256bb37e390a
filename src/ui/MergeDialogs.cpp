#include "ui/MergeDialogs.h"

#include "ui/IndividualMergeDialog.h"
#include "ui/SubgroupMergeDialog.h"

#include <QGuiApplication>
#include <QScreen>

MergeDialogs::MergeDialogs(Messenger& messenger, QWidget* parent)
    : m_small(new TfmGroupConfDialog(messenger, parent))
    , m_big(new TfmGroupConfDialogBig(messenger, parent))
    , m_owned(parent == nullptr)
{
}

MergeDialogs::~MergeDialogs()
{
    if (m_owned) {
        delete m_small;
        delete m_big;
    }
}

std::optional<MergeDecision> MergeDialogs::AskMerge(const MergeQuestion& question)
{
    GroupMergeDialog* dialog = question.Individual ? static_cast<GroupMergeDialog*>(m_small) : m_big;
    dialog->Fill(question);
    // Only while shown: at other times the window would find the dialog's controls among its own,
    // whose names they repeat.
    QWidget* over = m_owned && m_anchor ? m_anchor->window() : nullptr;
    if (over)
        dialog->setParent(over, dialog->windowFlags());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
    dialog->exec();
    if (over)
        dialog->setParent(nullptr, dialog->windowFlags());
    if (dialog->ResultCode() != GroupMergeDialog::Confirmed)
        return std::nullopt;
    return dialog->Decision();
}
