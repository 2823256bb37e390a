#include "ui/TableEditControls.h"
#include "actions/GroupMerge.h"
#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "model/MeasurementDocument.h"
#include "ui/Hints.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Answers every merge question with the fully automatic group.
class AutomaticMerge final : public MergeDecider {
public:
    std::optional<MergeDecision> AskMerge(const MergeQuestion&) override
    {
        ++asked;
        return MergeDecision {};
    }
    int asked = 0;
};

std::vector<QStringList> values(int first, int count)
{
    std::vector<QStringList> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({ QString::number(first + i) });
    return rows;
}

void pressEnter(QLineEdit* edit)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &release);
}

struct Page {
    RecordingMessenger messenger;
    MeasurementDocument doc { messenger };
    Hints hints;
    AutomaticMerge decider;
    QWidget page;
    TableEditControls* controls = new TableEditControls(doc, hints, decider, &page);

    QPushButton* button(int number) const
    {
        return page.findChild<QPushButton*>(QStringLiteral("Button") + QString::number(number));
    }
    QLineEdit* edit(int number) const
    {
        return page.findChild<QLineEdit*>(QStringLiteral("Edit") + QString::number(number));
    }
};

} // namespace

TEST(TableEditControls, ButtonsAndEditsOfTheDataPage)
{
    Page p;
    const std::pair<int, const char*> captions[]
        = { { 2, "Вставити нову точку за номером" }, { 4, "Вставити розділювач перед точкою з номером " },
              { 1, "Вилучити точку за номером" }, { 3, "Вилучити розділювач за номером" },
              { 6, "Додати                нових точок" }, { 7, "Вилучити останні               точок" } };
    for (const auto& [number, caption] : captions) {
        ASSERT_NE(p.button(number), nullptr) << number;
        EXPECT_EQ(p.button(number)->text(), QString::fromUtf8(caption));
        EXPECT_TRUE(p.controls->geometry().contains(p.button(number)->geometry())) << number;
    }
    for (int number : { 6, 13, 14, 15, 16, 17 }) {
        ASSERT_NE(p.edit(number), nullptr) << number;
        EXPECT_EQ(p.edit(number)->text(), QStringLiteral("10"));
    }
    // The append and remove-last edits sit in the blank run of their button's caption.
    for (const auto& [edit, button] : { std::pair { 16, 6 }, std::pair { 17, 7 } }) {
        const QRect inner = p.button(button)->geometry().adjusted(8, 0, -8, 0);
        EXPECT_TRUE(inner.contains(p.edit(edit)->geometry())) << edit;
        EXPECT_GE(p.edit(edit)->width(), 30);
    }
    // No two controls overlap apart from those edits and their buttons.
    const QList<QWidget*> widgets = p.controls->findChildren<QWidget*>();
    for (QWidget* a : widgets) {
        for (QWidget* b : widgets) {
            const bool gapPair = (a == p.edit(16) && b == p.button(6)) || (a == p.edit(17) && b == p.button(7))
                || (b == p.edit(16) && a == p.button(6)) || (b == p.edit(17) && a == p.button(7));
            if (a != b && !gapPair) {
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << a->objectName().toStdString() << ' ' << b->objectName().toStdString();
            }
        }
    }
}

TEST(TableEditControls, EnterRunsTheButtonBesideExceptForDeletingAPoint)
{
    Page p;
    BuildDocument(p.doc, 0, { values(1, 12), values(20, 12) });
    int edited = 0;
    QList<int> selected;
    QObject::connect(p.controls, &TableEditControls::tableEdited, [&] { ++edited; });
    QObject::connect(p.controls, &TableEditControls::rowSelectionRequested, [&](int row) { selected.append(row); });

    p.edit(6)->setText(QStringLiteral("3"));
    pressEnter(p.edit(6));
    EXPECT_EQ(p.doc.PointCount(), 24);
    EXPECT_EQ(edited, 0);

    pressEnter(p.edit(13)); // a point before point 10
    EXPECT_EQ(p.doc.PointCount(), 25);
    EXPECT_EQ(p.doc.ValueText(10, 0), QString());
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.takeFirst(), 10);

    pressEnter(p.edit(15)); // a separator before point 10
    EXPECT_TRUE(p.doc.IsSeparatorRow(10));
    EXPECT_EQ(selected.takeFirst(), 11);
    EXPECT_EQ(p.doc.Groups().size(), 3u);

    p.edit(14)->setText(QStringLiteral("1"));
    pressEnter(p.edit(14)); // equal settings: no question
    EXPECT_EQ(p.decider.asked, 0);
    EXPECT_EQ(p.doc.Groups().size(), 2u);

    EditGroup(p.doc, 1, [&](TIndividualInfo& record) { record.CentreSetting = { true, 5 }; });
    pressEnter(p.edit(14));
    EXPECT_EQ(p.decider.asked, 1);
    EXPECT_EQ(p.doc.Groups().size(), 1u);

    pressEnter(p.edit(16)); // ten more points
    EXPECT_EQ(p.doc.PointCount(), 35);

    p.messenger.answers = { true };
    pressEnter(p.edit(17));
    EXPECT_EQ(p.messenger.questions, QStringList { QStringLiteral("Підтверджуєте вилучення?") });
    EXPECT_EQ(p.doc.PointCount(), 25);

    p.button(1)->click();
    EXPECT_EQ(p.doc.PointCount(), 24);
    EXPECT_EQ(edited, 7);
    EXPECT_TRUE(p.messenger.messages.isEmpty());

    p.edit(16)->setText(QStringLiteral("0"));
    p.button(6)->click();
    EXPECT_EQ(p.messenger.messages, QStringList { QStringLiteral("Число має бути більшим за нуль!") });
    EXPECT_EQ(edited, 7);
}
