#include "UiTestSupport.h"

#include "actions/GroupSettings.h"
#include "compute/ComputeDriver.h"
#include "model/Numbers.h"
#include "presentation/AnalysisPresentation.h"
#include "ui/DetailsWindow.h"
#include "ui/GroupHandlingBox.h"
#include "ui/Hints.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

const QString Critical = QStringLiteral("Сигнал про критичну невідповідність! Застосуйте коригувальні дії!");
const QString Warning = QStringLiteral(
    "Карта відповідає попереджуючим критеріям. Можливо, варто застосувати запобіжні дії. Можна продовжувати роботу.");
const QString InControl
    = QStringLiteral("Випробування знаходяться у статистично керованому стані. Можна продовжувати роботу.");
const QColor Red(255, 0, 0);
const QColor DarkGreen(0, 128, 0);

template <typename T> T* Find(QWidget& box, const char* name)
{
    T* widget = box.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QColor LabelColour(QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

QColor BaseColour(QLineEdit* edit)
{
    return edit->palette().color(QPalette::Base);
}

// The box on its own window, shown and active, so focus and keys work as on screen.
struct BoxFixture {
    RecordingMessenger messenger;
    MeasurementDocument doc { messenger };
    Hints hints;
    QWidget window;
    GroupHandlingBox* box = new GroupHandlingBox(doc, hints, &window);
    QLineEdit* other = new QLineEdit(&window); // somewhere to move the focus to

    void Show()
    {
        other->setGeometry(0, box->height() + 4, 100, 21);
        window.resize(box->width(), box->height() + 30);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    template <typename T> T* Child(const char* name) { return Find<T>(*box, name); }
};

} // namespace

TEST(GroupHandlingBox, SubgroupPagesShowTheirSettingsAndControls)
{
    BoxFixture f;
    LoadComputedExample(f.doc);
    f.Show();
    auto* middleCheck = f.Child<QCheckBox>("MiddleCheckBox");
    auto* middleEdit = f.Child<QLineEdit>("MiddleEdit");
    auto* sigmaCheck = f.Child<QCheckBox>("SigmaCheckBox");
    auto* sigmaEdit = f.Child<QLineEdit>("SigmaEdit");
    auto* sigmaEdit2 = f.Child<QLineEdit>("SigmaEdit2");
    auto* label3 = f.Child<QLabel>("Label3");
    auto* label4 = f.Child<QLabel>("Label4");
    auto* label5 = f.Child<QLabel>("Label5");
    auto* radio = f.Child<QGroupBox>("RadioGroup1");
    auto* combo = f.Child<QComboBox>("ComboBox1");

    struct Case {
        int slot;
        QString caption;
        QString unit;
        bool sigma; // SigmaCheckBox, SigmaEdit2, Label5
        bool sigmaEdit; // SigmaEdit, Label4
        bool radio;
    };
    const QString mm = QStringLiteral("мм");
    const Case cases[] = {
        { 0, QStringLiteral("Автоматично обчислювати середнє:"), mm, true, true, true },
        { 1, QStringLiteral("Автоматично обчислювати середню медіану:"), mm, false, false, false },
        { 2, QStringLiteral("Автоматично обчислювати середнє вибіркове відхилення:"), mm, true, true, false },
        { 3, QStringLiteral("Автоматично обчислювати середнє відносне відхилення:"), QStringLiteral("%"), true, false,
            false },
        { 4, QStringLiteral("Автоматично обчислювати середній розмах:"), mm, true, true, false },
        { 5, QStringLiteral("Автоматично обчислювати середній відносний розмах:"), QStringLiteral("%"), true, false,
            false },
    };
    QSignalSpy spy(f.box, &GroupHandlingBox::linesChanged);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot);
        f.box->ShowSlot(c.slot);
        SaveSnapshot(*f.box, QStringLiteral("GroupHandlingBox-subgroups-slot%1").arg(c.slot));
        EXPECT_EQ(f.box->Slot(), c.slot);
        EXPECT_EQ(combo->count(), 2);
        EXPECT_EQ(combo->itemText(0), QStringLiteral("1-25"));
        EXPECT_EQ(combo->itemText(1), QStringLiteral("26-40"));
        EXPECT_EQ(combo->currentIndex(), 0);
        const TIndividualInfo& g = f.doc.Groups()[0];
        EXPECT_EQ(middleCheck->text(), c.caption);
        EXPECT_TRUE(middleCheck->isChecked());
        EXPECT_EQ(middleEdit->text(), FormatFixed(MiddleSetting(g, c.slot)->Value, f.doc.DisplayPrecision()));
        EXPECT_TRUE(middleEdit->isReadOnly());
        EXPECT_EQ(BaseColour(middleEdit), GroupHandlingBox::ReadOnlyColour());
        EXPECT_EQ(label3->text(), c.unit);
        EXPECT_EQ(sigmaCheck->isVisible(), c.sigma);
        EXPECT_EQ(sigmaEdit2->isVisible(), c.sigma);
        EXPECT_EQ(label5->isVisible(), c.sigma);
        EXPECT_EQ(sigmaEdit->isVisible(), c.sigmaEdit);
        EXPECT_EQ(label4->isVisible(), c.sigmaEdit);
        EXPECT_EQ(radio->isVisible(), c.radio);
        if (c.sigma) {
            EXPECT_EQ(sigmaEdit2->y(), c.sigmaEdit ? 108 : 96);
            EXPECT_EQ(label5->geometry().center().y(), sigmaEdit2->geometry().center().y());
            EXPECT_EQ(sigmaEdit->text(), FormatFixed(g.SigmaSetting.Value, f.doc.DisplayPrecision()));
            EXPECT_EQ(sigmaEdit2->text(), FormatFixed(SigmaPercent(g), f.doc.DisplayPrecision()));
            EXPECT_EQ(label4->text(), mm);
        }
    }
    EXPECT_EQ(spy.count(), 0); // filling the box is not an edit
    EXPECT_FALSE(f.doc.Changed());
}

TEST(GroupHandlingBox, CriteriaAndVerdictColoursFollowTheGroupChoice)
{
    BoxFixture f;
    LoadComputedExample(f.doc);
    f.Show();
    auto* label1 = f.Child<QLabel>("Label1");
    auto* label15 = f.Child<QLabel>("Label15");
    auto* label26 = f.Child<QLabel>("Label26");
    auto* label28 = f.Child<QLabel>("Label28");
    EXPECT_EQ(f.Child<QGroupBox>("GroupBox1")->title(), QStringLiteral(" Аналіз за правилами Westgard "));
    EXPECT_EQ(f.Child<QGroupBox>("GroupBox2")->title(), QStringLiteral(" Аналіз за ДСТУ IS0 8258-2001 "));
    EXPECT_EQ(f.Child<QPushButton>("Details1")->text(), QStringLiteral("Детальніше..."));
    EXPECT_EQ(f.Child<QPushButton>("Details1a")->text(), QStringLiteral("Детальніше..."));

    // Group 1-25 on the means: a warning by Westgard, nothing by ISO 8258.
    f.box->ShowSlot(0);
    EXPECT_EQ(label1->text(), QStringLiteral("Для групи виконуються умови таких критеріїв:  1"));
    EXPECT_EQ(label15->text(), Warning);
    EXPECT_EQ(LabelColour(label15), DarkGreen);
    EXPECT_EQ(label26->text(), QStringLiteral("Не виконуються умови жодного критерію"));
    EXPECT_EQ(label28->text(), InControl);
    EXPECT_EQ(LabelColour(label28), DarkGreen);

    // The analyst picks group 26-40: both analyses critical; the choice is kept for this page only.
    QSignalSpy spy(f.box, &GroupHandlingBox::linesChanged);
    f.box->ComboBox1Select(1);
    EXPECT_EQ(f.doc.SelectedGroup()[0], 1);
    EXPECT_EQ(f.doc.SelectedGroup()[2], 0);
    EXPECT_EQ(label1->text(), QStringLiteral("Для групи виконуються умови таких критеріїв:  2, 1, 4, 5"));
    EXPECT_EQ(label15->text(), Critical);
    EXPECT_EQ(LabelColour(label15), Red);
    EXPECT_EQ(label26->text(), QStringLiteral("Для групи виконуються умови таких критеріїв:  1, 5, 6"));
    EXPECT_EQ(LabelColour(label28), Red);
    EXPECT_EQ(spy.count(), 1);
    SaveSnapshot(*f.box, QStringLiteral("GroupHandlingBox-critical"));

    // The deviation page of group 1-25: ISO test 2 is critical, Westgard only warns.
    f.box->ShowSlot(2);
    EXPECT_EQ(f.Child<QComboBox>("ComboBox1")->currentIndex(), 0);
    EXPECT_EQ(LabelColour(label15), DarkGreen);
    EXPECT_EQ(label28->text(), Critical);
    EXPECT_EQ(LabelColour(label28), Red);
    // The details window already holds the rows of what the box shows.
    const QAbstractItemModel* iso = f.box->Details()->IsoGrid()->model();
    ASSERT_EQ(iso->rowCount(), 8);
    EXPECT_NE(iso->index(1, 2).data().toString(), QStringLiteral("Не відповідає критерію"));
    EXPECT_EQ(iso->index(0, 2).data().toString(), QStringLiteral("Не відповідає критерію"));
}

TEST(GroupHandlingBox, IndividualValuesShowBothSlotsWithTheDeviation)
{
    BoxFixture f;
    BuildComputed(f.doc, 0, { { { "10" }, { "12" }, { "11" } }, { { "20" }, { "21" }, { "23" }, { "22" } } });
    f.Show();
    f.box->ShowSlot(2);
    EXPECT_EQ(f.Child<QCheckBox>("MiddleCheckBox")->text(),
        QStringLiteral("Автоматично обчислювати середній ковзний розмах:"));
    EXPECT_EQ(f.Child<QLineEdit>("MiddleEdit")->text(), FormatFixed(1.5, 1)); // in the locale's form
    EXPECT_EQ(f.Child<QLineEdit>("SigmaEdit")->text(), FormatFixed(1.5, 1));
    EXPECT_TRUE(f.Child<QLineEdit>("SigmaEdit")->isVisible());
    EXPECT_EQ(f.Child<QLineEdit>("SigmaEdit2")->y(), 108);
    EXPECT_FALSE(f.Child<QGroupBox>("RadioGroup1")->isVisible());
    f.box->ShowSlot(0);
    EXPECT_EQ(f.Child<QCheckBox>("MiddleCheckBox")->text(), QStringLiteral("Автоматично обчислювати середнє:"));
    EXPECT_EQ(f.Child<QLineEdit>("MiddleEdit")->text(), FormatFixed(11, 1));
    EXPECT_FALSE(f.Child<QGroupBox>("RadioGroup1")->isVisible());
    EXPECT_EQ(f.Child<QComboBox>("ComboBox1")->count(), 2);
    // The units follow the header field at once.
    f.doc.SetUnits(QStringLiteral(" мг/дм3 "));
    EXPECT_EQ(f.Child<QLabel>("Label3")->text(), QStringLiteral("мг/дм3"));
    EXPECT_EQ(f.Child<QLabel>("Label4")->text(), QStringLiteral("мг/дм3"));
    SaveSnapshot(*f.box, QStringLiteral("GroupHandlingBox-individual"));
}

TEST(GroupHandlingBox, EditsChangeTheGroupRefreshTheBoxAndAskForARedraw)
{
    BoxFixture f;
    BuildComputed(f.doc, 0, { { { "10" }, { "12" }, { "11" } } });
    f.doc.ClearChanged();
    f.Show();
    f.box->ShowSlot(0);
    auto* middleCheck = f.Child<QCheckBox>("MiddleCheckBox");
    auto* middleEdit = f.Child<QLineEdit>("MiddleEdit");
    QSignalSpy spy(f.box, &GroupHandlingBox::linesChanged);
    const TIndividualInfo& g = f.doc.Groups()[0];

    // Typing into an automatic setting does nothing.
    middleEdit->setFocus();
    QTest::keyClicks(middleEdit, QStringLiteral("5"));
    QTest::keyClick(middleEdit, Qt::Key_Return);
    EXPECT_EQ(g.CentreSetting.Value, 11.0);
    EXPECT_EQ(spy.count(), 0);

    // Unticking fixes the centre: the edit turns white and editable.
    middleCheck->click();
    EXPECT_TRUE(g.CentreSetting.Fixed);
    EXPECT_FALSE(middleEdit->isReadOnly());
    EXPECT_EQ(BaseColour(middleEdit), GroupHandlingBox::EditableColour());
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.takeFirst().at(0).toInt(), 0);
    EXPECT_TRUE(f.doc.Changed());

    // A value confirmed with Enter takes effect at once, with its decimals.
    middleEdit->setFocus();
    middleEdit->selectAll();
    QTest::keyClicks(middleEdit, QStringLiteral("12,25"));
    QTest::keyClick(middleEdit, Qt::Key_Return);
    EXPECT_EQ(g.CentreSetting.Value, 12.25);
    EXPECT_EQ(g.Lines[0].Centre, 12.25);
    EXPECT_EQ(middleEdit->text(), FormatFixed(12.25, 2));
    EXPECT_EQ(spy.count(), 1);
    // Leaving the edit afterwards does not submit it twice.
    f.other->setFocus();
    EXPECT_EQ(spy.count(), 1);

    // A refused text: one message, the value stays and shows again.
    spy.clear();
    middleEdit->setFocus();
    middleEdit->selectAll();
    QTest::keyClicks(middleEdit, QStringLiteral("abc"));
    f.other->setFocus(); // leaving the edit submits it
    EXPECT_EQ(f.messenger.messages, QStringList { QStringLiteral("Некоректно задане число!") });
    EXPECT_EQ(g.CentreSetting.Value, 12.25);
    EXPECT_EQ(middleEdit->text(), FormatFixed(12.25, 2));
    EXPECT_EQ(spy.count(), 0);
    f.messenger.messages.clear();
    middleEdit->setFocus();
    middleEdit->selectAll();
    QTest::keyClicks(middleEdit, QStringLiteral("-3"));
    QTest::keyClick(middleEdit, Qt::Key_Enter);
    EXPECT_EQ(f.messenger.messages, QStringList { QStringLiteral("Значення має бути додатнім!") });
    EXPECT_EQ(g.CentreSetting.Value, 12.25);

    // Sigma: fixing it starts from the mean moving range; the per-cent edit sets it from the centre.
    auto* sigmaCheck = f.Child<QCheckBox>("SigmaCheckBox");
    auto* sigmaEdit2 = f.Child<QLineEdit>("SigmaEdit2");
    sigmaCheck->click();
    EXPECT_TRUE(g.SigmaSetting.Fixed);
    EXPECT_EQ(g.SigmaSetting.Value, 1.5);
    EXPECT_FALSE(sigmaEdit2->isReadOnly());
    EXPECT_EQ(BaseColour(sigmaEdit2), GroupHandlingBox::EditableColour());
    sigmaEdit2->setFocus();
    sigmaEdit2->selectAll();
    QTest::keyClicks(sigmaEdit2, QStringLiteral("10"));
    QTest::keyClick(sigmaEdit2, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(g.SigmaSetting.Value, 1.225);
    EXPECT_EQ(f.Child<QLineEdit>("SigmaEdit")->text(), FormatFixed(1.225, f.doc.DisplayPrecision()));
    EXPECT_DOUBLE_EQ(g.Lines[0].Upper, 12.25 + 3 * 1.225);
    EXPECT_EQ(spy.count(), 2);
}

TEST(GroupHandlingBox, RadioGroupChangesTheBasisOfTheMeansLimits)
{
    BoxFixture f;
    LoadComputedExample(f.doc);
    f.Show();
    f.box->ShowSlot(0);
    const TIndividualInfo& g = f.doc.Groups()[0];
    ASSERT_TRUE(g.UseSampleDeviation);
    EXPECT_TRUE(f.Child<QRadioButton>("RadioGroup1Item0")->isChecked());
    QSignalSpy spy(f.box, &GroupHandlingBox::linesChanged);
    f.Child<QRadioButton>("RadioGroup1Item1")->click();
    EXPECT_FALSE(g.UseSampleDeviation);
    EXPECT_EQ(g.SigmaSetting.Value, g.MeanRange);
    EXPECT_EQ(spy.count(), 1);
    // With sigma fixed the basis no longer matters and the choice hides.
    f.Child<QCheckBox>("SigmaCheckBox")->click();
    EXPECT_FALSE(f.Child<QGroupBox>("RadioGroup1")->isVisible());
}

TEST(GroupHandlingBox, HandlersStayQuietWithoutResults)
{
    BoxFixture f;
    LoadComputedExample(f.doc);
    f.Show();
    f.box->ShowSlot(0);
    f.box->Clear();
    EXPECT_EQ(f.box->Slot(), -1);
    EXPECT_EQ(f.Child<QComboBox>("ComboBox1")->currentIndex(), -1);
    EXPECT_TRUE(f.Child<QLabel>("Label15")->text().isEmpty());
    QSignalSpy spy(f.box, &GroupHandlingBox::linesChanged);
    f.Child<QCheckBox>("MiddleCheckBox")->click();
    f.Child<QCheckBox>("SigmaCheckBox")->click();
    f.box->ComboBox1Select(1);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_FALSE(f.doc.Groups()[0].CentreSetting.Fixed);
    EXPECT_FALSE(f.doc.Groups()[0].SigmaSetting.Fixed);

    // Results dropped by an edit of the table: showing a page shows nothing to edit.
    f.doc.InvalidateResults();
    f.box->ShowSlot(0);
    EXPECT_EQ(f.box->Slot(), -1);
}

TEST(GroupHandlingBox, LeavingTheGroupListEmptyAsksForAGroup)
{
    BoxFixture f;
    LoadComputedExample(f.doc);
    f.Show();
    f.doc.SetSelectedGroup(0, 5); // no such group: nothing chosen in the list
    f.box->ShowSlot(0);
    auto* combo = f.Child<QComboBox>("ComboBox1");
    EXPECT_EQ(combo->currentIndex(), -1);
    combo->setFocus();
    f.other->setFocus();
    EXPECT_EQ(f.messenger.messages, QStringList { QStringLiteral("Вкажіть групу точок зі списку, будь-ласка!") });
    QTRY_VERIFY(combo->hasFocus());
}

TEST(GroupHandlingBox, DetailsButtonsOpenTheDetailsWindow)
{
    BoxFixture f;
    LoadComputedExample(f.doc);
    f.Show();
    f.box->ShowSlot(0);
    f.box->ComboBox1Select(1);
    TFDet* details = f.box->Details();

    struct Seen {
        QString caption;
        QSize size;
        bool westgardShown = false;
        bool isoShown = false;
        QString hintKey;
    } seen;
    auto look = [&] {
        QTimer::singleShot(0, details, [&] {
            seen = { details->windowTitle(), details->size(), details->WestgardGrid()->isVisible(),
                details->IsoGrid()->isVisible(), details->HintKey() };
            SaveSnapshot(*details, QStringLiteral("TFDet-") + (seen.westgardShown ? "westgard" : "iso"));
            details->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        });
    };
    look();
    f.Child<QPushButton>("Details1")->click();
    EXPECT_EQ(seen.caption, QStringLiteral("Деталі по карті - Карта середніх"));
    // The layout's size, taller where rows with dates wrap so that every row shows.
    EXPECT_EQ(seen.size.width(), 625);
    EXPECT_GE(seen.size.height(), 225);
    EXPECT_TRUE(seen.westgardShown);
    EXPECT_FALSE(seen.isoShown);
    EXPECT_EQ(seen.hintKey, QStringLiteral("Детальніше 1 на вкладці 2"));
    EXPECT_FALSE(details->isVisible());

    look();
    f.Child<QPushButton>("Details1a")->click();
    EXPECT_EQ(seen.caption, QStringLiteral("Деталі аналізу карти - Карта середніх"));
    EXPECT_EQ(seen.size.width(), 675);
    EXPECT_GE(seen.size.height(), 275);
    EXPECT_FALSE(seen.westgardShown);
    EXPECT_TRUE(seen.isoShown);
    EXPECT_EQ(seen.hintKey, QStringLiteral("Детальніше 2 на вкладці 2"));
}

TEST(GroupHandlingBox, AValueTypedOnOnePageIsTakenWhenThePageChanges)
{
    BoxFixture f;
    LoadComputedExample(f.doc);
    f.Show();
    f.box->ShowSlot(2);
    f.Child<QCheckBox>("MiddleCheckBox")->click();
    auto* middleEdit = f.Child<QLineEdit>("MiddleEdit");
    middleEdit->setFocus();
    middleEdit->selectAll();
    QTest::keyClicks(middleEdit, QStringLiteral("0,02"));
    QSignalSpy spy(f.box, &GroupHandlingBox::linesChanged);
    f.box->ShowSlot(0); // the window shows another chart page; the edit kept the focus
    EXPECT_EQ(f.doc.Groups()[0].DeviationCentreSetting.Value, 0.02);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.front().at(0).toInt(), 2);
    EXPECT_EQ(f.box->Slot(), 0);
    EXPECT_EQ(middleEdit->text(), FormatFixed(f.doc.Groups()[0].CentreSetting.Value, f.doc.DisplayPrecision()));
}

// Nothing is cut off or overlaps, in the tests' font and in a larger one: every control lies
// inside the box, the settings column stays left of the analyses, and every caption fits.
TEST(GroupHandlingBox, LayoutFitsTheWindowsSpace)
{
    BoxFixture f;
    LoadComputedExample(f.doc);
    f.Show();
    ASSERT_EQ(f.box->size(), QSize(776, 181));
    for (int points : { 8, 9 }) {
        SCOPED_TRACE(points);
        QFont font = f.box->font();
        font.setPointSize(points);
        f.box->setFont(font);
        QCoreApplication::processEvents();
        for (int slot = 0; slot < ChartSlotCount; ++slot) {
            f.box->ShowSlot(slot);
            const QRect analyses
                = f.Child<QGroupBox>("GroupBox1")->geometry().united(f.Child<QGroupBox>("GroupBox2")->geometry());
            EXPECT_TRUE(f.box->rect().contains(analyses));
            SaveSnapshot(*f.box, QStringLiteral("GroupHandlingBox-%1pt-slot%2").arg(points).arg(slot));
            for (QWidget* child : f.box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (child->isHidden() || child->isWindow())
                    continue;
                SCOPED_TRACE(child->objectName().toStdString());
                EXPECT_TRUE(f.box->rect().contains(child->geometry()));
                if (child->objectName() != QLatin1String("GroupBox1")
                    && child->objectName() != QLatin1String("GroupBox2")) {
                    EXPECT_FALSE(child->geometry().intersects(analyses));
                }
                if (auto* check = qobject_cast<QCheckBox*>(child)) {
                    EXPECT_GE(check->width(), check->sizeHint().width());
                }
            }
        }
    }
}

TEST(GroupHandlingBox, AFailedComputeLeavesTheWalkedGroupsInTheList)
{
    BoxFixture f;
    BuildComputed(f.doc, 0, { { { "10" }, { "12" }, { "11" } }, { { "20" }, { "21" }, { "22" } } });
    f.Show();
    f.box->ShowSlot(0);
    ASSERT_EQ(f.Child<QComboBox>("ComboBox1")->count(), 2);

    MeasurementDocument& doc = f.doc;
    doc.EditValueText(5, 0, u"x"); // row 5: the first point of the second group; results drop at once
    EXPECT_EQ(f.box->Slot(), -1);
    EXPECT_FALSE(RunComputeCommand(doc));
    EXPECT_EQ(f.messenger.messages, QStringList { QStringLiteral("Некоректні дані! Неможливо провести обчислення") });
    auto* combo = f.Child<QComboBox>("ComboBox1");
    ASSERT_EQ(combo->count(), 2); // the failing group included
    EXPECT_EQ(combo->itemText(1), QStringLiteral("4-6"));
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_TRUE(f.Child<QLabel>("Label15")->text().isEmpty());
}

// The group's points kept out of its limits are counted under the analyses, which make room for
// the line only while it shows.
TEST(GroupHandlingBox, TheExcludedPointsLineShowsForItsGroup)
{
    BoxFixture f;
    BuildComputed(
        f.doc, 0, { { { "10" }, { "12" }, { "11" }, { "30" }, { "11" } }, { { "20" }, { "21" }, { "23" }, { "22" } } });
    f.Show();
    f.box->ShowSlot(0);
    auto* line = f.Child<QLabel>("ExcludedLabel");
    auto* second = f.Child<QGroupBox>("GroupBox2");
    EXPECT_FALSE(line->isVisible());
    const int fullBottom = second->geometry().bottom();

    PointNote note;
    note.ExcludeReason = QStringLiteral("збій дозатора");
    f.doc.SetPointNote(4, note);
    f.doc.SetPointNote(5, note);
    ASSERT_TRUE(RunComputeCommand(f.doc));
    f.box->ShowSlot(0);
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), QStringLiteral("виключено з обчислення меж: 2 точки"));
    EXPECT_LT(second->geometry().bottom(), line->y());
    EXPECT_LT(second->geometry().bottom(), fullBottom);
    EXPECT_TRUE(f.box->rect().contains(line->geometry()));
    EXPECT_GE(line->width(), line->sizeHint().width());
    SaveSnapshot(*f.box, QStringLiteral("GroupHandlingBox-excluded"));

    f.box->ShowSlot(2);
    EXPECT_TRUE(line->isVisible());
    f.box->ComboBox1Select(1); // the second group keeps all its points
    EXPECT_FALSE(line->isVisible());
    EXPECT_EQ(second->geometry().bottom(), fullBottom);
    f.box->ComboBox1Select(0);
    EXPECT_TRUE(line->isVisible());

    f.doc.EditValueText(1, 0, u"9"); // results drop
    EXPECT_FALSE(line->isVisible());
    EXPECT_TRUE(line->text().isEmpty());
}
