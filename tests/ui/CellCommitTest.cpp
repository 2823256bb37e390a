#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "presentation/TableGridModel.h"
#include "ui/DataGridView.h"
#include "ui/MainForm.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <memory>

namespace {

// Every Qt warning while it lives, instead of stderr.
class WarningRecorder {
public:
    WarningRecorder()
    {
        s_warnings = &m_warnings;
        m_previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                s_warnings->append(text);
        });
    }
    ~WarningRecorder()
    {
        qInstallMessageHandler(m_previous);
        s_warnings = nullptr;
    }
    // The offscreen platform's own limits are no fault of the program.
    QStringList Warnings() const
    {
        QStringList found;
        for (const QString& text : m_warnings)
            if (!text.startsWith(QLatin1String("This plugin does not support")))
                found.append(text);
        return found;
    }

private:
    static inline QStringList* s_warnings = nullptr;
    QStringList m_warnings;
    QtMessageHandler m_previous = nullptr;
};

std::vector<std::vector<QStringList>> Groups(int groups, int size)
{
    std::vector<std::vector<QStringList>> result;
    int value = 0;
    for (int g = 0; g < groups; ++g) {
        std::vector<QStringList> rows;
        for (int i = 0; i < size; ++i)
            rows.push_back({ QString::number(10 + (++value * 7) % 13) });
        result.push_back(rows);
    }
    return result;
}

struct ComputedWindow {
    ComputedWindow()
    {
        BuildDocument(window.Document(), 0, Groups(2, 6));
        window.DocumentReplaced();
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(TMainForm::DataTab);
        window.Compute();
        EXPECT_TRUE(window.Document().IsComputed());
        values = window.findChild<DataGridView*>(QStringLiteral("StringGrid1"));
    }
    ~ComputedWindow() { window.Document().ClearChanged(); }

    // Opens the editor of a value cell as a double click would and types text over it.
    QLineEdit* Type(int modelRow, const QString& text)
    {
        const QModelIndex cell = values->model()->index(modelRow, 0);
        values->setCurrentIndex(cell);
        values->edit(cell);
        auto* editor = qobject_cast<QLineEdit*>(values->indexWidget(cell));
        EXPECT_NE(editor, nullptr);
        if (editor) {
            editor->selectAll();
            QTest::keyClicks(editor, text);
        }
        return editor;
    }

    // The delegate commits after the key press has been handled.
    void PressEnter(int modelRow)
    {
        const QModelIndex cell = values->model()->index(modelRow, 0);
        QTest::keyClick(values->indexWidget(cell), Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([&] { return values->indexWidget(cell) == nullptr; }, 5000));
    }

    RecordingMessenger messenger;
    TMainForm window { &messenger };
    DataGridView* values = nullptr;
};

} // namespace

// Enter commits a value in the computed state: the results go once the editor has closed, with
// the rows and cells announced one by one and nothing for Qt to warn about.
TEST(CellCommit, DropsTheResultsWithoutResettingTheGrids)
{
    WarningRecorder warnings;
    ComputedWindow f;
    const QList<TableGridModel*> models = f.window.findChildren<TableGridModel*>();
    ASSERT_EQ(models.size(), 3);
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    std::vector<std::unique_ptr<QSignalSpy>> resets, removals;
    for (TableGridModel* model : models) {
        testers.push_back(
            std::make_unique<QAbstractItemModelTester>(model, QAbstractItemModelTester::FailureReportingMode::Warning));
        resets.push_back(std::make_unique<QSignalSpy>(model, &QAbstractItemModel::modelReset));
        removals.push_back(std::make_unique<QSignalSpy>(model, &QAbstractItemModel::rowsRemoved));
    }
    const int rows = f.values->model()->rowCount();

    QLineEdit* editor = f.Type(2, QStringLiteral("15"));
    ASSERT_NE(editor, nullptr);
    f.PressEnter(2);
    EXPECT_FALSE(f.window.Document().IsComputed());
    EXPECT_EQ(f.window.Document().ValueText(3, 0).toString(), QStringLiteral("15"));
    EXPECT_EQ(f.values->indexWidget(f.values->model()->index(2, 0)), nullptr);
    EXPECT_EQ(f.values->model()->rowCount(), rows - 1); // the closing row went
    for (size_t m = 0; m < resets.size(); ++m) {
        EXPECT_EQ(resets[m]->count(), 0) << m;
        EXPECT_EQ(removals[m]->count(), 1) << m;
    }

    // Back in the editing state a commit changes its cell only.
    editor = f.Type(4, QStringLiteral("16"));
    ASSERT_NE(editor, nullptr);
    f.PressEnter(4);
    EXPECT_EQ(f.window.Document().ValueText(5, 0).toString(), QStringLiteral("16"));
    for (const auto& reset : resets)
        EXPECT_EQ(reset->count(), 0);
    EXPECT_EQ(warnings.Warnings(), QStringList());
    EXPECT_TRUE(f.messenger.messages.isEmpty());
}

// F5 with a value being edited in the computed state ends the edit first: the new value drops
// the results and the same key press computes the document with it.
TEST(CellCommit, F5EndsTheEditAndComputesTheNewValue)
{
    WarningRecorder warnings;
    ComputedWindow f;
    const double before = f.window.Document().Groups()[0].Lines[SlotCentre].Centre;
    QLineEdit* editor = f.Type(1, QStringLiteral("1000"));
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_F5);
    EXPECT_EQ(f.values->indexWidget(f.values->model()->index(1, 0)), nullptr);
    EXPECT_EQ(f.window.Document().ValueText(2, 0).toString(), QStringLiteral("1000"));
    EXPECT_TRUE(f.window.Document().IsComputed());
    EXPECT_GT(f.window.Document().Groups()[0].Lines[SlotCentre].Centre, before);
    EXPECT_EQ(warnings.Warnings(), QStringList());
}
