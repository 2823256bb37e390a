#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"

#include "actions/DocumentActions.h"
#include "compute/ComputeDriver.h"
#include "model/NewDocument.h"
#include "presentation/GridScrolling.h"
#include "presentation/HeaderBandModel.h"
#include "presentation/TableGridModel.h"
#include "program/LaboratoryNames.h"

#include <QAbstractItemModelTester>
#include <QSettings>
#include <QTemporaryDir>

namespace {

std::vector<std::vector<QStringList>> Points(std::initializer_list<int> sizes, int columns)
{
    std::vector<std::vector<QStringList>> groups;
    int value = 0;
    for (int size : sizes) {
        std::vector<QStringList> rows;
        for (int i = 0; i < size; ++i) {
            QStringList row;
            for (int c = 0; c < columns; ++c)
                row.append(QString::number(20 + (++value * 5) % 11) + QStringLiteral(",5"));
            rows.push_back(row);
        }
        groups.push_back(rows);
    }
    return groups;
}

} // namespace

// The models stay consistent through the document's whole life: layout, compute, edits that
// drop the results, a change of the subgroup size.
TEST(TableGridModel, StaysConsistentThroughComputeAndEdits)
{
    for (const int k : { 0, 4 }) {
        SCOPED_TRACE(k);
        RecordingMessenger messenger;
        MeasurementDocument doc(messenger);
        TableGridModel labels(doc, TableGridModel::Part::Labels);
        TableGridModel values(doc, TableGridModel::Part::Values);
        TableGridModel results(doc, TableGridModel::Part::Results);
        HeaderBandModel band(doc);
        QAbstractItemModelTester t1(&labels, QAbstractItemModelTester::FailureReportingMode::Fatal);
        QAbstractItemModelTester t2(&values, QAbstractItemModelTester::FailureReportingMode::Fatal);
        QAbstractItemModelTester t3(&results, QAbstractItemModelTester::FailureReportingMode::Fatal);
        QAbstractItemModelTester t4(&band, QAbstractItemModelTester::FailureReportingMode::Fatal);
        EXPECT_EQ(labels.rowCount(), 0);

        BuildDocument(doc, k, Points({ 4, 3 }, k == 0 ? 1 : k));
        ASSERT_EQ(labels.rowCount(), 8); // 7 points and one separator
        EXPECT_EQ(values.columnCount(), k == 0 ? 1 : k);
        EXPECT_EQ(results.columnCount(), k == 0 ? 1 : 6);
        EXPECT_EQ(labels.index(4, 0).data().toString(), MeasurementDocument::SeparatorLabel(1));
        EXPECT_EQ(labels.index(5, 0).data().toString(), QStringLiteral("5"));
        EXPECT_EQ(labels.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Дата"));
        EXPECT_EQ(values.index(0, 0).data().toString(), doc.ValueText(1, 0).toString());
        EXPECT_FALSE(labels.flags(labels.index(4, 1)) & (Qt::ItemIsEditable | Qt::ItemIsSelectable));
        EXPECT_FALSE(labels.flags(labels.index(0, 0)) & Qt::ItemIsEditable); // the numbers
        EXPECT_TRUE(labels.flags(labels.index(0, 1)) & Qt::ItemIsEditable);
        EXPECT_FALSE(results.flags(results.index(0, 0)) & Qt::ItemIsEditable);

        ASSERT_TRUE(RunComputeCommand(doc));
        EXPECT_EQ(labels.rowCount(), 9); // the closing row
        EXPECT_FALSE(results.index(1, 0).data().toString().isEmpty());
        EXPECT_FALSE(values.flags(values.index(8, 0)) & Qt::ItemIsEditable);

        // An unchanged text is no edit; a changed one drops the results.
        EXPECT_TRUE(values.setData(values.index(1, 0), values.index(1, 0).data()));
        EXPECT_TRUE(doc.IsComputed());
        EXPECT_FALSE(doc.Changed());
        EXPECT_TRUE(values.setData(values.index(1, 0), QStringLiteral("21,25")));
        EXPECT_FALSE(doc.IsComputed());
        EXPECT_TRUE(doc.Changed());
        EXPECT_EQ(labels.rowCount(), 8);
        EXPECT_EQ(doc.ValueText(2, 0).toString(), QStringLiteral("21,25"));
        EXPECT_TRUE(labels.setData(labels.index(2, 1), QStringLiteral("05.05.2025")));
        EXPECT_EQ(doc.DateText(3), QStringLiteral("05.05.2025"));
        EXPECT_FALSE(values.setData(values.index(4, 0), QStringLiteral("1"))); // a separator

        if (k != 0) {
            doc.ChangeSubgroupSize(6);
            EXPECT_EQ(values.columnCount(), 6);
            EXPECT_EQ(values.headerData(5, Qt::Horizontal).toString(), QStringLiteral("X6"));
        }
        doc.SetUnits(QStringLiteral("мг"));
        EXPECT_EQ(results.headerData(0, Qt::Horizontal).toString(),
            k == 0 ? QStringLiteral("Ковзний розмах, мг") : QStringLiteral("Середнє, мг"));
        if (k != 0)
            EXPECT_EQ(band.index(0, 1).data().toString(), QStringLiteral("Значення, мг"));
        else
            EXPECT_EQ(values.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Значення, мг"));
    }
}

TEST(GridScrolling, RoundsHalvesToEven)
{
    using GridScrolling::RoundHalfEven;
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(12.5), 12);
    EXPECT_EQ(RoundHalfEven(12.51), 13);
    EXPECT_EQ(RoundHalfEven(7.49), 7);
}

TEST(GridScrolling, PositionsAndTopRows)
{
    using namespace GridScrolling;
    struct Case {
        const char* name;
        int rowCount, visible, topRow;
        bool valueGrid;
        int position;
    };
    const Case cases[] = {
        { "top", 215, 13, 1, false, 0 },
        { "bottom", 215, 13, 202, false, 100 },
        { "half of 8 hidden rows: 50", 22, 13, 5, false, 50 },
        { "one of 8: 12.5 goes to 12", 22, 13, 2, false, 12 },
        { "three of 8: 37.5 goes to 38", 22, 13, 4, false, 38 },
        { "value grid, one row hidden: divisor 1", 15, 13, 2, true, 100 },
        { "other grid, divisor 0 becomes 1", 14, 13, 2, false, 100 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PositionForTopRow(c.rowCount, c.visible, c.topRow, c.valueGrid), c.position);
    }
    EXPECT_EQ(TopRowForPosition(215, 13, 0), 1);
    EXPECT_EQ(TopRowForPosition(215, 13, 100), 202);
    EXPECT_EQ(TopRowForPosition(22, 13, 50), 5);
    EXPECT_EQ(TopRowForPosition(12, 13, 60), 1); // nothing hidden
    EXPECT_FALSE(ScrollBarEnabled(14, 13));
    EXPECT_TRUE(ScrollBarEnabled(15, 13));
    EXPECT_EQ(TopRowAfterResize(10, 13, 11), 8);
    EXPECT_EQ(TopRowAfterResize(1, 13, 11), 1);
    EXPECT_EQ(TopRowAfterResize(2, 13, 5), 1);
}

TEST(GridScrolling, SelectionSkipsSeparators)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, Points({ 3, 3 }, 1)); // rows 1-3, separator 4, rows 5-7
    using GridScrolling::AcceptedSelectionRow;
    EXPECT_EQ(AcceptedSelectionRow(doc, 3, 4), 5); // moving down
    EXPECT_EQ(AcceptedSelectionRow(doc, 6, 4), 3); // moving up
    EXPECT_EQ(AcceptedSelectionRow(doc, 2, 2), 2);
    EXPECT_EQ(AcceptedSelectionRow(doc, 1, 0), 1); // never the header
    ASSERT_TRUE(RunComputeCommand(doc));
    EXPECT_EQ(AcceptedSelectionRow(doc, 7, 8), -1); // the closing row: scroll to the end
}

TEST(NewDocument, OneGroupOfEmptyPointsUnchangedAndUnnamed)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    BuildDocument(doc, 0, Points({ 5, 5 }, 1));
    doc.SetUnits(QStringLiteral("мг"));
    doc.SetFileName(QStringLiteral("old.mrd"));
    ASSERT_TRUE(RunComputeCommand(doc));
    CreateNewDocument(doc, false);
    EXPECT_FALSE(doc.IndividualMode());
    EXPECT_FALSE(doc.IsComputed());
    EXPECT_EQ(doc.PointCount(), NewDocumentPointCount);
    EXPECT_EQ(doc.SubgroupSize(), NewDocumentSubgroupSize);
    EXPECT_EQ(doc.ValueColumnCount(), NewDocumentSubgroupSize);
    EXPECT_EQ(doc.RowCount(), 1 + NewDocumentPointCount);
    EXPECT_EQ(doc.Groups().size(), 1u);
    EXPECT_TRUE(doc.Units().isEmpty());
    EXPECT_TRUE(doc.Header(HeaderField::Operator).Present);
    EXPECT_FALSE(doc.Header(HeaderField::Sample).Present);
    EXPECT_TRUE(doc.FileName().isEmpty());
    EXPECT_FALSE(doc.Changed());
    EXPECT_TRUE(doc.ValueText(1, 0).isEmpty());
    EXPECT_TRUE(messenger.messages.isEmpty());
}

TEST(LaboratoryNames, UserSettingsOverTheDeliveredDefaults)
{
    QTemporaryDir folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.filePath(QStringLiteral("user")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.filePath(QStringLiteral("user")));
    const QString defaults = folder.filePath(QStringLiteral("meridan.ini"));
    {
        QSettings file(defaults, QSettings::IniFormat);
        file.setValue(QStringLiteral("Laboratory/FullName"), QStringLiteral("Лабораторія контролю якості"));
        file.setValue(QStringLiteral("Laboratory/ShortName"), QStringLiteral("ЛКЯ"));
    }
    LaboratoryNames names = ReadLaboratoryNames(defaults);
    EXPECT_EQ(names.FullName, QStringLiteral("Лабораторія контролю якості"));
    EXPECT_EQ(names.Caption(), QStringLiteral("ЛКЯ"));
    {
        QSettings user(QStringLiteral("Meridan"), QStringLiteral("meridan"));
        user.setValue(QStringLiteral("Laboratory/ShortName"), QStringLiteral("ВЛ-2"));
    }
    names = ReadLaboratoryNames(defaults);
    EXPECT_EQ(names.FullName, QStringLiteral("Лабораторія контролю якості"));
    EXPECT_EQ(names.ShortName, QStringLiteral("ВЛ-2"));
    EXPECT_FALSE(ReadLaboratoryNames(QString()).FullName.isEmpty());
}

namespace {

// What a model told its views, signal by signal.
struct ModelSignals {
    explicit ModelSignals(QAbstractItemModel& model)
    {
        QObject::connect(&model, &QAbstractItemModel::modelReset, [this] { ++resets; });
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, [this] { ++rowInserts; });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [this] { ++rowRemovals; });
        QObject::connect(&model, &QAbstractItemModel::columnsInserted, [this] { ++columnInserts; });
        QObject::connect(&model, &QAbstractItemModel::columnsRemoved, [this] { ++columnRemovals; });
        QObject::connect(&model, &QAbstractItemModel::dataChanged, [this] { ++dataChanges; });
    }
    void Clear() { *this = ModelSignals(); }
    int resets = 0;
    int rowInserts = 0;
    int rowRemovals = 0;
    int columnInserts = 0;
    int columnRemovals = 0;
    int dataChanges = 0;

private:
    ModelSignals() = default;
};

// Every cell and header of the model as the document has it.
void ExpectModelShowsDocument(const TableGridModel& model, const MeasurementDocument& doc)
{
    ASSERT_EQ(model.rowCount(), doc.RowCount() - 1);
    const TableGridModel::Part part = model.GridPart();
    const int columns = part == TableGridModel::Part::Labels ? 2
        : part == TableGridModel::Part::Values               ? doc.ValueColumnCount()
                                                             : doc.ResultColumnCount();
    ASSERT_EQ(model.columnCount(), columns);
    for (int row = 1; row < doc.RowCount(); ++row) {
        for (int c = 0; c < columns; ++c) {
            QString expected;
            if (part == TableGridModel::Part::Labels)
                expected = c == 0 ? doc.LabelText(row) : doc.DateText(row);
            else if (part == TableGridModel::Part::Values)
                expected = doc.ValueText(row, c).toString();
            else
                expected = doc.ResultText(row, c);
            ASSERT_EQ(model.index(row - 1, c).data(Qt::EditRole).toString(), expected) << row << " " << c;
        }
    }
    for (int c = 0; c < columns; ++c) {
        const QString expected = part == TableGridModel::Part::Labels ? doc.LabelHeader(c)
            : part == TableGridModel::Part::Values                    ? doc.ValueColumnHeader(c)
                                                                      : doc.ResultHeader(c);
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), expected);
    }
}

} // namespace

// A change of the subgroup size and an import, each undone, reach the views as columns and rows
// that come and go and cells that change, never as a reset, so the grids keep their selection
// and scroll position. Only a load resets them.
TEST(TableGridModel, FollowsLayoutChangesWithoutAReset)
{
    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    DocumentActions actions(doc);
    TableGridModel labels(doc, TableGridModel::Part::Labels);
    TableGridModel values(doc, TableGridModel::Part::Values);
    TableGridModel results(doc, TableGridModel::Part::Results);
    HeaderBandModel band(doc);
    QAbstractItemModelTester t1(&labels, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester t2(&values, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester t3(&results, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester t4(&band, QAbstractItemModelTester::FailureReportingMode::Fatal);
    BuildDocument(doc, 5, Points({ 4, 3 }, 5));
    ASSERT_TRUE(RunComputeCommand(doc));
    ModelSignals labelSignals(labels);
    ModelSignals valueSignals(values);
    ModelSignals resultSignals(results);
    ModelSignals bandSignals(band);
    const auto expectShown = [&] {
        ExpectModelShowsDocument(labels, doc);
        ExpectModelShowsDocument(values, doc);
        ExpectModelShowsDocument(results, doc);
        EXPECT_EQ(band.index(0, 1).data().toString(), doc.ValueHeader());
    };
    const auto expectNoReset = [&] {
        EXPECT_EQ(labelSignals.resets, 0);
        EXPECT_EQ(valueSignals.resets, 0);
        EXPECT_EQ(resultSignals.resets, 0);
        EXPECT_EQ(bandSignals.resets, 0);
    };

    {
        SCOPED_TRACE("subgroup size 5 to 3");
        actions.ChangeSubgroupSize(3);
        ASSERT_EQ(doc.ValueColumnCount(), 3);
        expectNoReset();
        EXPECT_EQ(valueSignals.columnRemovals, 1);
        EXPECT_EQ(valueSignals.columnInserts, 0);
        EXPECT_EQ(labelSignals.rowRemovals, 1); // the closing row of the dropped results
        EXPECT_GE(valueSignals.dataChanges, 1);
        expectShown();
    }
    {
        SCOPED_TRACE("and back to 5");
        valueSignals.Clear();
        actions.Undo();
        ASSERT_EQ(doc.ValueColumnCount(), 5);
        expectNoReset();
        EXPECT_EQ(valueSignals.columnInserts, 1);
        EXPECT_GE(valueSignals.dataChanges, 1);
        expectShown();
        EXPECT_EQ(values.index(0, 4).data().toString(), doc.ValueText(1, 4).toString());
        EXPECT_FALSE(doc.ValueText(1, 4).isEmpty()); // the dropped column came back
    }
    {
        SCOPED_TRACE("an import: another kind and size");
        labelSignals.Clear();
        valueSignals.Clear();
        resultSignals.Clear();
        ASSERT_TRUE(actions.ReplaceContent(QStringLiteral("імпорт"), [](MeasurementDocument& target) {
            BuildDocument(target, 0, Points({ 6, 5, 4 }, 1)); // the new layout an import lays out
            return true;
        }));
        ASSERT_TRUE(doc.IndividualMode());
        expectNoReset();
        EXPECT_GE(labelSignals.rowInserts, 1); // 7 rows become 17
        EXPECT_GE(valueSignals.columnRemovals, 1); // 5 value columns become 1
        EXPECT_GE(resultSignals.columnRemovals, 1); // 6 result columns become 1
        EXPECT_GE(labelSignals.dataChanges, 1);
        expectShown();
    }
    {
        SCOPED_TRACE("the import undone");
        labelSignals.Clear();
        valueSignals.Clear();
        actions.Undo();
        ASSERT_FALSE(doc.IndividualMode());
        expectNoReset();
        EXPECT_GE(labelSignals.rowRemovals, 1);
        EXPECT_GE(valueSignals.columnInserts, 1);
        EXPECT_GE(valueSignals.dataChanges, 1);
        expectShown();
        actions.Redo();
        expectNoReset();
        expectShown();
    }
    {
        SCOPED_TRACE("a load resets once");
        for (TableGridModel* model : { &labels, &values, &results })
            model->BeginBulkChange();
        CreateNewDocument(doc, false);
        for (TableGridModel* model : { &labels, &values, &results })
            model->EndBulkChange();
        EXPECT_EQ(labelSignals.resets, 1);
        EXPECT_EQ(valueSignals.resets, 1);
        EXPECT_EQ(resultSignals.resets, 1);
        expectShown();
    }
}
