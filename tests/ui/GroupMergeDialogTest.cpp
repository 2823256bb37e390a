#include "common/TestSupport.h"
#include "ui/IndividualMergeDialog.h"
#include "ui/MergeDialogs.h"
#include "ui/SubgroupMergeDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

template <typename Widget> Widget* child(const QWidget& dialog, const QString& name)
{
    Widget* widget = dialog.findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
}

QCheckBox* check(const QWidget& dialog, int number)
{
    return child<QCheckBox>(dialog, QStringLiteral("CheckBox") + QString::number(number));
}

QLineEdit* edit(const QWidget& dialog, int number)
{
    return child<QLineEdit>(dialog, QStringLiteral("Edit") + QString::number(number));
}

MergeQuestion question(const TIndividualInfo& earlier, const TIndividualInfo& later, bool individual)
{
    MergeQuestion q;
    q.Individual = individual;
    q.Earlier = &earlier;
    q.Later = &later;
    q.EarlierCaption = QStringLiteral(" У групі з точок 1-5 контрольні лінії обчислюються у такий спосіб ");
    q.LaterCaption = QStringLiteral(" У групі з точок 6-9 контрольні лінії обчислюються у такий спосіб ");
    q.MergedCaption
        = QStringLiteral(" Вкажіть спосіб обчислення контрольні лінії для групи, яку буде утворено з точок 1-9 ");
    q.DisplayPrecision = 2;
    return q;
}

} // namespace

TEST(GroupMergeDialog, SmallDialogShowsBothGroupsAndChecksTheNewOneInTableOrder)
{
    RecordingMessenger messenger;
    TfmGroupConfDialog dialog(messenger);
    EXPECT_EQ(dialog.size(), QSize(762, 280));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Злиття двох груп точок"));
    EXPECT_EQ(dialog.ConfirmButton()->text(), QStringLiteral("Підтвердити"));
    EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("Скасувати"));

    TIndividualInfo earlier(true);
    earlier.CentreSetting = { true, 10 };
    earlier.SigmaSetting = { false, 1.5 };
    TIndividualInfo later(true);
    later.CentreSetting = { true, 11 };
    later.RangeCentreSetting = { true, 0.126 };
    dialog.Fill(question(earlier, later, true));
    EXPECT_EQ(dialog.ResultCode(), 9);

    EXPECT_EQ(child<QGroupBox>(dialog, QStringLiteral("GroupBox1"))->title(),
        QStringLiteral(" У групі з точок 1-5 контрольні лінії обчислюються у такий спосіб "));
    EXPECT_EQ(child<QGroupBox>(dialog, QStringLiteral("GroupBox4"))->title(),
        QStringLiteral(" У групі з точок 6-9 контрольні лінії обчислюються у такий спосіб "));
    EXPECT_EQ(child<QGroupBox>(dialog, QStringLiteral("GroupBox3"))->title(),
        QStringLiteral(" Вкажіть спосіб обчислення контрольні лінії для групи, яку буде утворено з точок 1-9 "));
    // Earlier pane: CheckBox7/8/9, later pane: CheckBox4/5/6; ticked means automatic.
    EXPECT_EQ(check(dialog, 7)->text(), QStringLiteral("Автоматично обчислювати середнє: "));
    EXPECT_EQ(check(dialog, 8)->text(), QStringLiteral("Автоматично обчислювати відхилення:"));
    EXPECT_EQ(check(dialog, 9)->text(), QStringLiteral("Автоматично обчислювати середній розмах:"));
    EXPECT_FALSE(check(dialog, 7)->isChecked());
    EXPECT_TRUE(check(dialog, 8)->isChecked());
    EXPECT_EQ(edit(dialog, 7)->text(), QStringLiteral("10,00"));
    EXPECT_EQ(edit(dialog, 8)->text(), QStringLiteral("1,50"));
    EXPECT_FALSE(check(dialog, 6)->isChecked());
    EXPECT_EQ(edit(dialog, 6)->text(), QStringLiteral("0,13"));
    for (int number : { 4, 5, 6, 7, 8, 9 }) {
        EXPECT_FALSE(check(dialog, number)->isEnabled());
        EXPECT_TRUE(edit(dialog, number)->isReadOnly());
    }
    // The new group starts automatic, its edits greyed until unticked.
    for (int number : { 1, 2, 3 }) {
        EXPECT_TRUE(check(dialog, number)->isChecked());
        EXPECT_EQ(edit(dialog, number)->text(), QStringLiteral("0"));
        EXPECT_FALSE(edit(dialog, number)->isEnabled());
    }

    check(dialog, 1)->setChecked(false);
    EXPECT_TRUE(edit(dialog, 1)->isEnabled());
    for (const char* text : { "0", "-5", "abc", "" }) {
        edit(dialog, 1)->setText(QString::fromUtf8(text));
        dialog.ConfirmButton()->click();
        EXPECT_EQ(messenger.messages.takeLast(), QStringLiteral("Некоректно задано середнє!")) << text;
        EXPECT_EQ(dialog.ResultCode(), 9);
        EXPECT_FALSE(dialog.Decision());
    }
    // Checking stops at the first invalid line, from the top.
    edit(dialog, 1)->setText(QStringLiteral("12,345"));
    check(dialog, 2)->setChecked(false);
    edit(dialog, 2)->setText(QStringLiteral("x"));
    check(dialog, 3)->setChecked(false);
    edit(dialog, 3)->setText(QStringLiteral("0"));
    dialog.ConfirmButton()->click();
    EXPECT_EQ(messenger.messages, QStringList { QStringLiteral("Некоректно задано відхилення!") });
    edit(dialog, 2)->setText(QStringLiteral("1.5"));
    dialog.ConfirmButton()->click();
    EXPECT_EQ(messenger.messages.last(), QStringLiteral("Некоректно задано середній розмах!"));
    check(dialog, 3)->setChecked(true);
    EXPECT_FALSE(edit(dialog, 3)->isEnabled());
    dialog.ConfirmButton()->click();
    EXPECT_EQ(messenger.messages.size(), 2);
    EXPECT_EQ(dialog.ResultCode(), 1);
    ASSERT_TRUE(dialog.Decision());
    const MergeDecision decision = *dialog.Decision();
    EXPECT_EQ(decision.Settings[size_t(MergeLine::Centre)], (TFixableValue { true, 12.345 }));
    EXPECT_EQ(decision.Settings[size_t(MergeLine::Sigma)], (TFixableValue { true, 1.5 }));
    EXPECT_EQ(decision.Settings[size_t(MergeLine::RangeCentre)], (TFixableValue { false, 0 }));
    EXPECT_EQ(decision.Decimals, 3);

    // Reused: the next merge sees nothing of this one.
    dialog.Fill(question(later, earlier, true));
    EXPECT_EQ(dialog.ResultCode(), 9);
    EXPECT_FALSE(dialog.Decision());
    EXPECT_TRUE(check(dialog, 1)->isChecked());
    EXPECT_EQ(edit(dialog, 1)->text(), QStringLiteral("0"));
    EXPECT_EQ(edit(dialog, 7)->text(), QStringLiteral("11,00"));
    dialog.CancelButton()->click();
    EXPECT_EQ(dialog.ResultCode(), 9);
    EXPECT_FALSE(dialog.Decision());
}

TEST(GroupMergeDialog, BigDialogHasSevenLinesAndTheBasisFollowsTheCentre)
{
    RecordingMessenger messenger;
    TfmGroupConfDialogBig dialog(messenger);
    EXPECT_EQ(dialog.size(), QSize(862, 545));
    TIndividualInfo earlier(false);
    earlier.UseSampleDeviation = false;
    earlier.RelRangeCentreSetting = { true, 4 };
    TIndividualInfo later(false);
    later.MedianCentreSetting = { true, 2 };
    dialog.Fill(question(earlier, later, false));

    // Earlier, later and new numbers per line, top to bottom.
    const int numbers[7][3]
        = { { 7, 2, 15 }, { 8, 3, 16 }, { 9, 4, 17 }, { 10, 5, 18 }, { 11, 6, 19 }, { 12, 13, 20 }, { 1, 14, 21 } };
    const char* captions[] = { "Автоматично обчислювати середнє: ", "Автоматично обчислювати відхилення:",
        "Автоматично обчислювати середню медіану:", "Автоматично обчислювати середнє вибіркове відхилення:",
        "Автоматично обчислювати середнє відносне відхилення:", "Автоматично обчислювати середній розмах:",
        "Автоматично обчислювати середній відносний розмах:" };
    for (int line = 0; line < 7; ++line) {
        for (int pane = 0; pane < 3; ++pane)
            EXPECT_EQ(check(dialog, numbers[line][pane])->text(), QString::fromUtf8(captions[line]));
        EXPECT_LT(check(dialog, numbers[line][2])->y(), line < 6 ? check(dialog, numbers[line + 1][2])->y() : 1000);
    }
    EXPECT_FALSE(check(dialog, 1)->isChecked());
    EXPECT_EQ(edit(dialog, 1)->text(), QStringLiteral("4,00"));
    EXPECT_FALSE(check(dialog, 4)->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, QStringLiteral("RadioGroup1Item1"))->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, QStringLiteral("RadioGroup2Item0"))->isChecked());
    EXPECT_EQ(child<QGroupBox>(dialog, QStringLiteral("RadioGroup3"))->title(),
        QStringLiteral(" Межі для середнього обчислювати на основі "));
    EXPECT_EQ(child<QRadioButton>(dialog, QStringLiteral("RadioGroup3Item0"))->text(),
        QStringLiteral("Вибіркового відхилення"));
    EXPECT_EQ(
        child<QRadioButton>(dialog, QStringLiteral("RadioGroup3Item1"))->text(), QStringLiteral("Вибіркового розмаху"));
    QGroupBox* basis = child<QGroupBox>(dialog, QStringLiteral("RadioGroup3"));
    EXPECT_TRUE(basis->isEnabled());
    EXPECT_TRUE(child<QRadioButton>(dialog, QStringLiteral("RadioGroup3Item0"))->isChecked());
    check(dialog, 15)->setChecked(false);
    EXPECT_FALSE(basis->isEnabled());
    check(dialog, 15)->setChecked(true);
    EXPECT_TRUE(basis->isEnabled());

    // Every fixed line with "0" is refused in table order.
    for (int line = 0; line < 7; ++line) {
        check(dialog, numbers[line][2])->setChecked(false);
        EXPECT_TRUE(edit(dialog, numbers[line][2])->isEnabled());
    }
    const QStringList expected { QStringLiteral("Некоректно задано середнє!"),
        QStringLiteral("Некоректно задано відхилення!"), QStringLiteral("Некоректно задано середню медіану!"),
        QStringLiteral("Некоректно задано середнє стандартне відхилення!"),
        QStringLiteral("Некоректно задано середнє відносне відхилення!"),
        QStringLiteral("Некоректно задано середній розмах!"),
        QStringLiteral("Некоректно задано середній відносний розмах!") };
    for (int line = 0; line < 7; ++line) {
        dialog.ConfirmButton()->click();
        EXPECT_EQ(messenger.messages.takeLast(), expected[line]);
        edit(dialog, numbers[line][2])->setText(QString::number(line + 1));
    }
    child<QRadioButton>(dialog, QStringLiteral("RadioGroup3Item1"))->setChecked(true);
    dialog.ConfirmButton()->click();
    EXPECT_TRUE(messenger.messages.isEmpty());
    ASSERT_EQ(dialog.ResultCode(), 1);
    const MergeDecision decision = *dialog.Decision();
    EXPECT_EQ(decision.Settings[size_t(MergeLine::MedianCentre)], (TFixableValue { true, 3 }));
    EXPECT_EQ(decision.Settings[size_t(MergeLine::RelRangeCentre)], (TFixableValue { true, 7 }));
    EXPECT_FALSE(decision.UseSampleDeviation);

    // Confirming all ticked makes the group fully automatic on the sample deviation.
    dialog.Fill(question(earlier, later, false));
    EXPECT_TRUE(child<QRadioButton>(dialog, QStringLiteral("RadioGroup3Item0"))->isChecked());
    dialog.ConfirmButton()->click();
    const std::optional<MergeDecision> automatic = dialog.Decision();
    ASSERT_TRUE(automatic);
    for (const TFixableValue& setting : automatic->Settings)
        EXPECT_EQ(setting, (TFixableValue { false, 0 }));
    EXPECT_TRUE(automatic->UseSampleDeviation);
}

// The program's decider shows the dialog of the question's mode modally; cancel gives nothing.
TEST(GroupMergeDialog, DialogsAnswerMergeQuestionsModally)
{
    RecordingMessenger messenger;
    MergeDialogs dialogs(messenger, nullptr);
    TIndividualInfo earlier(true);
    TIndividualInfo later(true);
    later.CentreSetting = { true, 3 };

    QTimer::singleShot(0, &dialogs.Small(), [&] { dialogs.Small().CancelButton()->click(); });
    EXPECT_FALSE(dialogs.AskMerge(question(earlier, later, true)));

    QTimer::singleShot(0, &dialogs.Small(), [&] { dialogs.Small().ConfirmButton()->click(); });
    const std::optional<MergeDecision> decision = dialogs.AskMerge(question(earlier, later, true));
    ASSERT_TRUE(decision);
    EXPECT_FALSE(decision->Settings[size_t(MergeLine::Centre)].Fixed);

    TIndividualInfo big1(false);
    TIndividualInfo big2(false);
    big2.UseSampleDeviation = false;
    QTimer::singleShot(0, &dialogs.Big(), [&] { dialogs.Big().ConfirmButton()->click(); });
    const MergeQuestion bigQuestion = question(big1, big2, false);
    EXPECT_TRUE(dialogs.AskMerge(bigQuestion).has_value());
    EXPECT_FALSE(dialogs.Small().isVisible());
    EXPECT_FALSE(dialogs.Big().isVisible());
}
