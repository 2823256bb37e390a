#include "common/DocumentBuilder.h"
#include "common/TestSupport.h"
#include "model/DocumentFile.h"
#include "presentation/MainWindowState.h"
#include "program/ProgramFiles.h"
#include "ui/ChartPageView.h"
#include "ui/DataGridView.h"
#include "ui/Hints.h"
#include "ui/MainForm.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

const QString Examples = QStringLiteral(MERIDAN_SOURCE_DIR "/data/");

DataGridView* Grid(TMainForm& window, const char* name)
{
    return window.findChild<DataGridView*>(QString::fromLatin1(name));
}

QStringList Headers(const QAbstractItemModel* model)
{
    QStringList headers;
    for (int c = 0; c < model->columnCount(); ++c)
        headers.append(model->headerData(c, Qt::Horizontal).toString());
    return headers;
}

// A page not drawn yet is all white.
bool Drawn(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return true;
    return false;
}

// Notes, at each message, whether every chart page in use had been drawn.
class DrawnChartsMessenger final : public Messenger {
public:
    void ShowMessage(const QString& text) override
    {
        messages.append(text);
        bool drawn = window != nullptr;
        for (int slot = 0; window && slot < ChartSlotCount; ++slot)
            if (MainWindowState(window->Document()).ChartTabVisible(slot) && !Drawn(window->ChartView(slot)->Image()))
                drawn = false;
        chartsDrawn.append(drawn);
    }
    bool AskYesNo(const QString&) override { return false; }
    Answer AskYesNoCancel(const QString&) override { return Answer::No; }

    TMainForm* window = nullptr;
    QStringList messages;
    QList<bool> chartsDrawn;
};

} // namespace

// Every document is laid out anew: widths the analyst dragged in one document are gone in the next,
// whether it comes from New, Load or the example list.
TEST(DocumentReplaced, EveryDocumentGetsTheColumnWidthsOfItsMode)
{
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    window.SetNewKindChooser([] { return 2; });
    ASSERT_TRUE(window.OpenDocument(Examples + QStringLiteral("pistonrings.mrd")));
    DataGridView* values = Grid(window, "StringGrid1");
    DataGridView* results = Grid(window, "StringGrid4");
    const int valueWidth = values->columnWidth(0);
    const int resultWidth = results->columnWidth(1);
    const auto drag = [&] {
        values->horizontalHeader()->resizeSection(0, valueWidth + 40);
        results->horizontalHeader()->resizeSection(1, resultWidth + 30);
    };
    const auto laidOutAnew = [&](const char* how) {
        EXPECT_EQ(values->columnWidth(0), valueWidth) << how;
        EXPECT_EQ(results->columnWidth(1), resultWidth) << how;
    };
    drag();
    ASSERT_TRUE(window.OpenDocument(Examples + QStringLiteral("pistonrings.mrd")));
    laidOutAnew("load");
    drag();
    window.NewDocument(2);
    laidOutAnew("new");

    QTemporaryDir folder;
    QFile::copy(Examples + QStringLiteral("pistonrings.mrd"), folder.filePath(QStringLiteral("one.mrd")));
    window.hints().SetExampleList({ QDir(folder.path()).filePath(QStringLiteral("one")) });
    drag();
    ASSERT_TRUE(window.OpenExample(0));
    laidOutAnew("example");
}

// Line i of the example list is example i + 1, blank lines included; a blank entry fails to load
// with the load message and leaves the document as it was.
TEST(DocumentReplaced, BlankLinesOfTheExampleListKeepTheNumbering)
{
    QTemporaryDir folder;
    for (const char* name : { "pistonrings", "viscosity" })
        ASSERT_TRUE(QFile::copy(Examples + QLatin1String(name) + QStringLiteral(".mrd"),
            folder.filePath(QLatin1String(name) + QStringLiteral(".mrd"))));
    QFile list(folder.filePath(ExampleListFileName));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("pistonrings\r\n\r\nviscosity\r\n");
    list.close();

    RecordingMessenger messenger;
    TMainForm window(&messenger);
    window.hints().SetFolder(folder.path());
    window.hints().SetMessenger(&messenger);
    ASSERT_TRUE(window.hints().LoadExampleList());
    ASSERT_TRUE(window.OpenExample(2));
    EXPECT_EQ(QFileInfo(window.Document().FileName()).fileName(), QStringLiteral("viscosity.mrd"));
    EXPECT_TRUE(messenger.messages.isEmpty());

    EXPECT_FALSE(window.OpenExample(1));
    EXPECT_EQ(messenger.messages, QStringList { LoadErrorText() });
    EXPECT_EQ(QFileInfo(window.Document().FileName()).fileName(), QStringLiteral("viscosity.mrd"));
    EXPECT_EQ(window.hints().CurrentExample(), 2);
}

// The units rule writes the headers whether the units were loaded or typed.
TEST(DocumentReplaced, LoadedUnitsWriteTheHeadersAsTypedUnitsDo)
{
    for (const char* name : { "viscosity", "pistonrings" }) {
        SCOPED_TRACE(name);
        RecordingMessenger messenger;
        TMainForm window(&messenger);
        ASSERT_TRUE(window.OpenDocument(Examples + QLatin1String(name) + QStringLiteral(".mrd")));
        const MeasurementDocument& doc = window.Document();
        ASSERT_FALSE(doc.Units().trimmed().isEmpty());
        const QStringList loadedValues = Headers(Grid(window, "StringGrid1")->model());
        const QStringList loadedResults = Headers(Grid(window, "StringGrid4")->model());
        const QString loadedBand = doc.ValueHeader();
        EXPECT_TRUE(loadedResults.first().endsWith(QStringLiteral(", ") + doc.Units()))
            << loadedResults.first().toStdString();

        // Typing the same units again.
        auto* units = window.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        const QString text = units->text();
        units->clear();
        units->textEdited(QString());
        units->setText(text);
        units->textEdited(text);
        EXPECT_EQ(Headers(Grid(window, "StringGrid1")->model()), loadedValues);
        EXPECT_EQ(Headers(Grid(window, "StringGrid4")->model()), loadedResults);
        EXPECT_EQ(doc.ValueHeader(), loadedBand);
        window.Document().ClearChanged();
    }
}

// The precision message comes over chart pages already drawn.
TEST(DocumentReplaced, PrecisionMessageComesAfterTheChartsAreDrawn)
{
    DrawnChartsMessenger messenger;
    TMainForm window(&messenger);
    messenger.window = &window;
    BuildDocument(window.Document(), 0, { { { "1,1234567" }, { "1,1234569" }, { "1,1234562" }, { "1,1234571" } } });
    window.DocumentReplaced();
    window.Compute();
    ASSERT_TRUE(window.Document().IsComputed());
    ASSERT_EQ(messenger.messages.size(), 1);
    EXPECT_TRUE(messenger.messages.first().startsWith(QStringLiteral("Точність задання чисел")));
    EXPECT_EQ(messenger.chartsDrawn, QList<bool> { true });
    window.Document().ClearChanged();
}
