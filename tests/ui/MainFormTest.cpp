#include "UiTestSupport.h"

#include "model/DocumentFile.h"
#include "presentation/TableGridModel.h"
#include "ui/ChartPageView.h"
#include "ui/DataGridView.h"
#include "ui/GroupHandlingBox.h"
#include "ui/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Example = QStringLiteral(MERIDAN_SOURCE_DIR "/data/pistonrings.mrd");

template <typename T> T* Find(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Types text as the analyst would (QTest's key clicks know only Latin letters).
void Type(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

QAction* Action(TMainForm& window, const char* name)
{
    return Find<QAction>(window, name);
}

// Point rows of individual values 1, 2, 3, ... cut into groups of the given sizes.
std::vector<std::vector<QStringList>> Groups(std::initializer_list<int> sizes, int columns = 1)
{
    std::vector<std::vector<QStringList>> groups;
    int value = 0;
    for (int size : sizes) {
        std::vector<QStringList> rows;
        for (int i = 0; i < size; ++i) {
            QStringList row;
            for (int c = 0; c < columns; ++c)
                row.append(QString::number(10 + (++value * 7) % 13));
            rows.push_back(row);
        }
        groups.push_back(rows);
    }
    return groups;
}

std::vector<int> VisibleChartSlots(TMainForm& window)
{
    auto* pages = Find<QTabWidget>(window, "PageControl1");
    std::vector<int> slots;
    for (int slot = 0; slot < ChartSlotCount; ++slot)
        if (pages->isTabVisible(TMainForm::ChartTabOffset + slot))
            slots.push_back(slot);
    return slots;
}

} // namespace

TEST(MainForm, StartsEmptyWithTheMenusOfNoDocument)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    EXPECT_EQ(window.centralWidget()->size(), QSize(792, 529));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Мерідан"));
    EXPECT_FALSE(Find<QTabWidget>(window, "PageControl1")->isVisibleTo(&window));
    for (const char* enabled : { "N9", "MLoad", "MExit", "N2", "N3" })
        EXPECT_TRUE(Action(window, enabled)->isEnabled()) << enabled;
    for (const char* disabled : { "MSave", "MSaveAs", "N7", "N1", "AAA1" })
        EXPECT_FALSE(Action(window, disabled)->isEnabled()) << disabled;
    EXPECT_EQ(Action(window, "N1")->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(Action(window, "N9")->text(), QStringLiteral("Нова "));
    EXPECT_FALSE(Action(window, "AAA1")->text().isEmpty());
    const bool checked[] = { true, true, true, false, true, false, false };
    const char* const items[] = { "N11", "N21", "N31", "N41", "N51", "N61", "N13" };
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(Action(window, items[i])->isChecked(), checked[i]) << items[i];
    EXPECT_EQ(Find<QLineEdit>(window, "Edit7")->maxLength(), 78);
    EXPECT_EQ(Find<QLineEdit>(window, "MaskEdit1")->inputMask(), QStringLiteral("00.00.0000"));
}

TEST(MainForm, LoadAndComputeShowTheChosenCharts)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    ASSERT_TRUE(window.OpenDocument(Example));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Мерідан - ") + Example);
    EXPECT_TRUE(Find<QTabWidget>(window, "PageControl1")->isVisibleTo(&window));
    EXPECT_TRUE(Action(window, "N1")->isEnabled());
    EXPECT_EQ(Find<QLabel>(window, "Label18")->text(), QStringLiteral("Кількість підгруп: 40"));
    EXPECT_TRUE(!Find<QComboBox>(window, "ElementsComboBox")->isHidden());
    EXPECT_EQ(Find<QLineEdit>(window, "TableName")->text(), window.Document().TableName());
    EXPECT_TRUE(VisibleChartSlots(window).empty());

    Action(window, "N1")->trigger();
    EXPECT_TRUE(window.Document().IsComputed());
    EXPECT_TRUE(Action(window, "N7")->isEnabled());
    EXPECT_EQ(VisibleChartSlots(window), (std::vector<int> { 0, 1, 2, 4 }));
    EXPECT_FALSE(window.ChartView(0)->Image().isNull());

    // The group box shows only on chart pages.
    auto* pages = Find<QTabWidget>(window, "PageControl1");
    pages->setCurrentIndex(TMainForm::DataTab);
    EXPECT_FALSE(window.GroupBox()->isVisibleTo(&window));
    pages->setCurrentIndex(TMainForm::ChartTabOffset + SlotDeviation);
    EXPECT_TRUE(window.GroupBox()->isVisibleTo(&window));
    EXPECT_EQ(window.GroupBox()->Slot(), int(SlotDeviation));

    // N41 re-applies N31; N61 re-applies N51.
    Action(window, "N41")->trigger();
    EXPECT_EQ(VisibleChartSlots(window), (std::vector<int> { 0, 1, 2, 3, 4 }));
    Action(window, "N11")->trigger();
    Action(window, "N61")->trigger();
    EXPECT_EQ(VisibleChartSlots(window), (std::vector<int> { 1, 2, 3, 4, 5 }));

    // An edit drops the results and hides every chart page.
    auto* values = Find<DataGridView>(window, "StringGrid1");
    values->model()->setData(values->model()->index(0, 0), QStringLiteral("74,5"));
    EXPECT_FALSE(window.Document().IsComputed());
    EXPECT_TRUE(window.Document().Changed());
    EXPECT_TRUE(VisibleChartSlots(window).empty());
    EXPECT_FALSE(Action(window, "N7")->isEnabled());
    EXPECT_TRUE(messenger.messages.isEmpty()) << messenger.messages.join('\n').toStdString();
    window.Document().ClearChanged();
}

TEST(MainForm, MedianPageStaysHiddenAboveTenValuesPerSubgroup)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildDocument(window.Document(), 11, Groups({ 8 }, 11));
    window.DocumentReplaced();
    EXPECT_FALSE(Action(window, "N21")->isEnabled());
    window.Compute();
    ASSERT_TRUE(window.Document().IsComputed());
    EXPECT_EQ(VisibleChartSlots(window), (std::vector<int> { 0, 2, 4 }));
}

TEST(MainForm, IndividualModeShowsTwoChartsAndHidesTheSubgroupControls)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildDocument(window.Document(), 0, Groups({ 12, 9 }));
    window.DocumentReplaced();
    EXPECT_FALSE(!Find<QComboBox>(window, "ElementsComboBox")->isHidden());
    EXPECT_FALSE(Find<DataGridView>(window, "StringGrid2")->isVisibleTo(&window));
    EXPECT_FALSE(Action(window, "N21")->isVisible());
    EXPECT_EQ(Action(window, "N11")->text(), QStringLiteral("Карта індивідуальних значень"));
    window.Compute();
    EXPECT_EQ(VisibleChartSlots(window), (std::vector<int> { 0, 2 }));
    EXPECT_EQ(window.Document().GroupList(), (QStringList { QStringLiteral("1-12"), QStringLiteral("13-21") }));
}

TEST(MainForm, FailingComputeStaysEditableWithOneMessage)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    auto groups = Groups({ 5, 5, 5 });
    groups[1][2][0] = QStringLiteral("abc");
    BuildDocument(window.Document(), 0, groups);
    window.DocumentReplaced();
    Action(window, "N1")->trigger();
    EXPECT_FALSE(window.Document().IsComputed());
    EXPECT_EQ(messenger.messages, QStringList { QStringLiteral("Некоректні дані! Неможливо провести обчислення") });
    EXPECT_EQ(window.Document().GroupList(), (QStringList { QStringLiteral("1-5"), QStringLiteral("6-10") }));
    EXPECT_TRUE(VisibleChartSlots(window).empty());
    EXPECT_EQ(window.Document().RowCount(), 1 + 15 + 2);
}

TEST(MainForm, GridsAndScrollBarMoveTogether)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildDocument(window.Document(), 0, Groups({ 60, 60, 80 }));
    window.DocumentReplaced();
    auto* grid1 = Find<DataGridView>(window, "StringGrid1");
    auto* grid3 = Find<DataGridView>(window, "StringGrid3");
    auto* grid4 = Find<DataGridView>(window, "StringGrid4");
    auto* bar = Find<QScrollBar>(window, "ScrollBar2");
    ASSERT_TRUE(bar->isEnabled());
    EXPECT_EQ(grid1->VisibleRows(), 13);
    EXPECT_EQ(grid1->rowHeight(0), 24);

    bar->setValue(100);
    const int rows = grid1->GridRowCount();
    EXPECT_EQ(grid1->TopRow(), rows - grid1->VisibleRows());
    EXPECT_EQ(grid3->TopRow(), grid1->TopRow());
    EXPECT_EQ(grid4->TopRow(), grid1->TopRow());

    bar->setValue(37);
    const int top = 1 + qRound(double(rows - 13 - 1) * 37 / 100);
    EXPECT_EQ(grid1->TopRow(), top);

    grid3->SetTopRow(51); // as the wheel over StringGrid3 would
    EXPECT_EQ(grid1->TopRow(), 51);
    EXPECT_EQ(grid4->TopRow(), 51);
    EXPECT_EQ(bar->value(), qRound(100.0 * 50 / (rows - 13 - 1)));

    // The computed state adds the closing row; the grids keep their place.
    window.Compute();
    ASSERT_TRUE(window.Document().IsComputed());
    EXPECT_EQ(grid1->TopRow(), 51);
    EXPECT_EQ(grid3->TopRow(), 51);
}

TEST(MainForm, SmallTableLeavesTheScrollBarDisabled)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildDocument(window.Document(), 0, Groups({ 6 }));
    window.DocumentReplaced();
    EXPECT_FALSE(Find<QScrollBar>(window, "ScrollBar2")->isEnabled());
}

TEST(MainForm, SelectionJumpsOverSeparators)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildDocument(window.Document(), 0, Groups({ 3, 3 }));
    window.DocumentReplaced();
    auto* grid = Find<DataGridView>(window, "StringGrid1");
    const auto at = [grid](int gridRow) { return grid->model()->index(gridRow - 1, 0); };
    grid->setCurrentIndex(at(3));
    grid->setCurrentIndex(at(4)); // the separator, coming from above
    EXPECT_EQ(grid->currentIndex().row() + 1, 5);
    grid->setCurrentIndex(at(4)); // coming from below
    EXPECT_EQ(grid->currentIndex().row() + 1, 3);
    EXPECT_FALSE(grid->model()->flags(at(4)) & Qt::ItemIsEditable);
    EXPECT_TRUE(grid->model()->flags(at(5)) & Qt::ItemIsEditable);

    // The closing row of the computed state keeps the selection where it was.
    window.Compute();
    grid->setCurrentIndex(at(6));
    grid->setCurrentIndex(at(8));
    EXPECT_EQ(grid->currentIndex().row() + 1, 6);
}

TEST(MainForm, UnitsAndMeasuredParameterRewriteTheHeaders)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildDocument(window.Document(), 5, Groups({ 6 }, 5));
    window.DocumentReplaced();
    auto* results = Find<DataGridView>(window, "StringGrid4");
    auto* band = Find<DataGridView>(window, "StringGrid2");
    Type(Find<QLineEdit>(window, "Edit1"), QStringLiteral("мг"));
    EXPECT_EQ(band->model()->index(0, 1).data().toString(), QStringLiteral("Значення, мг"));
    EXPECT_EQ(results->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Середнє, мг"));
    EXPECT_EQ(results->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("В. відхилення, %"));
    EXPECT_TRUE(window.Document().Changed());

    auto* parameter = Find<QLineEdit>(window, "Edit18");
    EXPECT_FALSE(parameter->isEnabled());
    Find<QCheckBox>(window, "CheckBox12")->click();
    EXPECT_TRUE(parameter->isEnabled());
    Type(parameter, QStringLiteral("Діаметр"));
    EXPECT_EQ(band->model()->index(0, 1).data().toString(), QStringLiteral("Діаметр"));
    window.Document().ClearChanged();
}

TEST(MainForm, SubgroupSizeChangesTheValueColumns)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildDocument(window.Document(), 3, Groups({ 4, 4 }, 3));
    window.DocumentReplaced();
    auto* values = Find<DataGridView>(window, "StringGrid1");
    auto* combo = Find<QComboBox>(window, "ElementsComboBox");
    EXPECT_EQ(combo->currentText(), QStringLiteral("3"));
    combo->activated(3); // "5"
    ASSERT_EQ(values->model()->columnCount(), 5);
    EXPECT_EQ(values->model()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("X5"));
    EXPECT_EQ(values->model()->index(0, 4).data().toString(), QString());
    EXPECT_EQ(values->model()->index(4, 4).data().toString(), MeasurementDocument::SeparatorLine());
    EXPECT_TRUE(window.Document().Changed());
    window.Document().ClearChanged();
}

TEST(MainForm, UnsavedChangesAreAskedForOnEachPath)
{
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("saved.mrd"));
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    int newDialogs = 0;
    window.SetNewKindChooser([&] {
        ++newDialogs;
        return 2;
    });
    window.SetOpenFileChooser([] { return Example; });
    window.SetSaveFileChooser([&] { return saved; });
    const auto change = [&] { window.Document().SetTableName(QStringLiteral("змінено")); };

    // New: Cancel keeps everything, No replaces the document.
    BuildDocument(window.Document(), 0, Groups({ 5 }));
    window.DocumentReplaced();
    change();
    messenger.choices = { Messenger::Answer::Cancel };
    window.N9Click();
    EXPECT_EQ(newDialogs, 0);
    EXPECT_EQ(window.Document().TableName(), QStringLiteral("змінено"));
    messenger.choices = { Messenger::Answer::No };
    window.N9Click();
    EXPECT_EQ(newDialogs, 1);
    EXPECT_FALSE(window.Document().IndividualMode());
    EXPECT_FALSE(window.Document().Changed());
    EXPECT_EQ(messenger.questions.size(), 2);

    // Load: Yes saves first (through Save as for a new document), then loads.
    change();
    messenger.choices = { Messenger::Answer::Yes };
    window.MLoadClick();
    EXPECT_TRUE(QFile::exists(saved));
    EXPECT_EQ(window.Document().FileName(), Example);
    EXPECT_EQ(messenger.questions.size(), 3);

    // Examples: Cancel keeps the changed document.
    change();
    messenger.choices = { Messenger::Answer::Cancel };
    window.ExamplesClick();
    EXPECT_EQ(window.Document().TableName(), QStringLiteral("змінено"));
    EXPECT_EQ(messenger.questions.size(), 4);

    // Exit: Cancel keeps the window open, No closes it.
    window.show();
    messenger.choices = { Messenger::Answer::Cancel };
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    messenger.choices = { Messenger::Answer::No };
    EXPECT_TRUE(window.close());
    EXPECT_EQ(messenger.questions.size(), 6);
    for (const QString& question : messenger.questions)
        EXPECT_EQ(question, TMainForm::EmptyDocumentQuestion());

    // An unchanged document is replaced without a question.
    window.Document().ClearChanged();
    messenger.questions.clear();
    window.N9Click();
    EXPECT_TRUE(messenger.questions.isEmpty());
}

TEST(MainForm, FailedLoadShowsTheLoadMessage)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    EXPECT_FALSE(window.OpenDocument(QStringLiteral(MERIDAN_SOURCE_DIR "/no-such-file.mrd")));
    ASSERT_EQ(messenger.messages.size(), 1);
    EXPECT_EQ(messenger.messages.first(), LoadErrorText());
    EXPECT_FALSE(Find<QTabWidget>(window, "PageControl1")->isVisibleTo(&window));
}

TEST(MainForm, ChartPageMatchesTheCommandLineChart)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    ASSERT_TRUE(window.OpenDocument(Example));
    window.Compute();
    QTemporaryDir folder;
    const QString png = folder.filePath(QStringLiteral("chart.png"));
    QProcess cli;
    cli.start(QStringLiteral(MERIDAN_CLI),
        { QStringLiteral("chart"), Example, QStringLiteral("--slot"), QStringLiteral("2"), QStringLiteral("-o"), png,
            QStringLiteral("--locale"), QLocale().name() });
    ASSERT_TRUE(cli.waitForFinished(30000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QImage expected = QImage(png).convertToFormat(QImage::Format_RGB32);
    const QImage shown = window.ChartView(SlotDeviation)->Image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), expected.size());
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            differing += shown.pixel(x, y) != expected.pixel(x, y);
    EXPECT_EQ(differing, 0); // one paint path: the window draws what the command line draws
}

TEST(MainForm, NewDocumentIsAnEmptyTableOfItsKind)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    window.NewDocument(9);
    EXPECT_FALSE(window.Document().HasDocument());
    window.NewDocument(1);
    EXPECT_TRUE(window.Document().IndividualMode());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Мерідан"));
    EXPECT_FALSE(window.Document().Changed());
    EXPECT_TRUE(Find<QTabWidget>(window, "PageControl1")->isVisibleTo(&window));
    EXPECT_EQ(Find<QTabWidget>(window, "PageControl1")->currentIndex(), TMainForm::HeaderTab);
}

TEST(MainForm, CellEditorCommitsIntoTheDocument)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildDocument(window.Document(), 0, Groups({ 5, 5 }));
    window.DocumentReplaced();
    window.show();
    Find<QTabWidget>(window, "PageControl1")->setCurrentIndex(TMainForm::DataTab);
    window.Compute();
    ASSERT_TRUE(window.Document().IsComputed());
    auto* grid = Find<DataGridView>(window, "StringGrid3");
    const QModelIndex date = grid->model()->index(1, 1);
    grid->setCurrentIndex(date);
    grid->edit(date);
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(date));
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("07.07.2027"));
    grid->EndEditing(); // as Enter would: the edit drops the results while the editor closes
    EXPECT_EQ(window.Document().DateText(2), QStringLiteral("07.07.2027"));
    EXPECT_FALSE(window.Document().IsComputed());
    EXPECT_EQ(grid->indexWidget(date), nullptr);

    // F5 ends an open edit before it computes.
    const QModelIndex value = Find<DataGridView>(window, "StringGrid1")->model()->index(2, 0);
    auto* values = Find<DataGridView>(window, "StringGrid1");
    values->setCurrentIndex(value);
    values->edit(value);
    auto* valueEditor = qobject_cast<QLineEdit*>(values->indexWidget(value));
    ASSERT_NE(valueEditor, nullptr);
    valueEditor->setText(QStringLiteral("11,5"));
    window.Compute();
    EXPECT_TRUE(window.Document().IsComputed());
    EXPECT_EQ(window.Document().ValueText(3, 0).toString(), QStringLiteral("11,5"));
    EXPECT_EQ(window.Document().PointDates().value(1), QStringLiteral("07.07.2027"));
    window.Document().ClearChanged();
}

TEST(MainForm, GroupBoxEditRedrawsTheCharts)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    ASSERT_TRUE(window.OpenDocument(Example));
    window.show();
    window.Compute();
    auto* pages = Find<QTabWidget>(window, "PageControl1");
    pages->setCurrentIndex(TMainForm::ChartTabOffset + SlotCentre);
    ASSERT_EQ(window.GroupBox()->Slot(), int(SlotCentre));
    const QImage before = window.ChartView(SlotCentre)->Image().copy();
    const QImage deviationBefore = window.ChartView(SlotDeviation)->Image().copy();

    Find<QCheckBox>(window, "MiddleCheckBox")->click();
    auto* middle = Find<QLineEdit>(window, "MiddleEdit");
    middle->selectAll();
    QTest::keyClicks(middle, QStringLiteral("74,01"));
    QTest::keyClick(middle, Qt::Key_Return);
    EXPECT_NE(window.ChartView(SlotCentre)->Image(), before);
    EXPECT_EQ(window.Document().Groups()[0].Lines[SlotCentre].Centre, 74.01);

    // A units change redraws the set with the new unit text.
    pages->setCurrentIndex(TMainForm::HeaderTab);
    auto* units = Find<QLineEdit>(window, "Edit1");
    units->selectAll();
    Type(units, QStringLiteral("мкм"));
    EXPECT_NE(window.ChartView(SlotDeviation)->Image(), deviationBefore);
    EXPECT_TRUE(window.Document().IsComputed());
    window.Document().ClearChanged();
}

TEST(MainForm, ColumnResizingAndAbandonedDrags)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    BuildDocument(window.Document(), 3, Groups({ 30 }, 3));
    window.DocumentReplaced();
    window.show();
    Find<QTabWidget>(window, "PageControl1")->setCurrentIndex(TMainForm::DataTab);
    auto* labels = Find<DataGridView>(window, "StringGrid3");
    auto* values = Find<DataGridView>(window, "StringGrid1");
    EXPECT_EQ(labels->height(), 12 * 24 + 16);
    EXPECT_EQ(values->height(), labels->height());

    // Wider columns than the grid: room for the horizontal scroll bar.
    values->horizontalHeader()->resizeSection(0, 300);
    EXPECT_EQ(values->height(), labels->height() + 16);
    values->horizontalHeader()->resizeSection(0, 40);
    EXPECT_EQ(values->height(), labels->height());

    // A drag that leaves the grid is over: coming back moves nothing.
    QWidget* viewport = values->viewport();
    const auto send = [viewport](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    const QPoint first = values->visualRect(values->model()->index(0, 0)).center();
    const QPoint third = values->visualRect(values->model()->index(2, 0)).center();
    send(QEvent::MouseButtonPress, first, Qt::LeftButton);
    EXPECT_EQ(values->currentIndex().row(), 0);
    send(QEvent::MouseMove, QPoint(first.x(), -3), Qt::LeftButton);
    send(QEvent::MouseMove, third, Qt::LeftButton);
    EXPECT_EQ(values->currentIndex().row(), 0);
    send(QEvent::MouseButtonRelease, third, Qt::NoButton);
    send(QEvent::MouseButtonPress, third, Qt::LeftButton); // the next press works as ever
    send(QEvent::MouseButtonRelease, third, Qt::NoButton);
    EXPECT_EQ(values->currentIndex().row(), 2);
}
