#pragma once

#include "actions/GroupMerge.h"

#include <QDialog>
#include <QRect>
#include <array>
#include <optional>
#include <span>

class Messenger;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

// What both merge dialogs share: three panes of setting lines (earlier group, later group, the new
// group), the confirm and cancel buttons, and the checks of "Підтвердити", which belong to the
// model (DecideMerge). The two dialogs only lay the panes out and name the controls.
class GroupMergeDialog : public QDialog {
    Q_OBJECT
public:
    // The result codes: 9 while shown or cancelled, 1 once valid entries are confirmed.
    static constexpr int Cancelled = 9;
    static constexpr int Confirmed = 1;

    // Refills every control from the question; nothing of an earlier use shows through.
    void Fill(const MergeQuestion& question);
    int ResultCode() const { return m_resultCode; }
    // The decided settings; nothing unless the analyst confirmed valid entries.
    std::optional<MergeDecision> Decision() const { return m_decision; }

    QPushButton* ConfirmButton() const { return m_button1; }
    QPushButton* CancelButton() const { return m_button2; }

protected:
    enum Pane { Earlier, Later, New };

    struct LineNames {
        MergeLine Line;
        std::array<int, 3> Numbers; // CheckBox/Edit number in the earlier, later and new pane
    };

    GroupMergeDialog(bool individual, Messenger& messenger, QWidget* parent);
    // Builds the panes: pane boxes at the given rectangles, lines from lineTop every lineStep pixels.
    void BuildPanes(const std::array<QRect, 3>& paneRects, const std::array<const char*, 3>& paneNames,
        std::span<const LineNames> lines, int checkWidth, int editWidth);
    // The basis choice of subgroup mode, below the lines of each pane.
    void BuildBasisChoices(int top);
    void PlaceButtons(int top);

private:
    void Button1Click();
    void Button2Click();
    void followCheckBoxes();

    bool m_individual;
    Messenger& m_messenger;
    std::array<QGroupBox*, 3> m_panes {};
    std::array<std::array<QCheckBox*, MergeLineCount>, 3> m_checks {};
    std::array<std::array<QLineEdit*, MergeLineCount>, 3> m_edits {};
    std::array<QGroupBox*, 3> m_basisBoxes {};
    std::array<QButtonGroup*, 3> m_basisGroups {};
    QPushButton* m_button1 = nullptr;
    QPushButton* m_button2 = nullptr;
    int m_resultCode = Cancelled;
    std::optional<MergeDecision> m_decision;
};
