#include "exchange/ImportSession.h"
#include "ExchangeTestSupport.h"
#include "common/TestSupport.h"
#include "model/MeasurementDocument.h"

#include <QStringEncoder>
#include <QTemporaryDir>

TEST(ImportSession, GuessesThenFollowsTheAnalyst)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("журнал.txt"));
    const QString text = QStringLiteral("Дата;Партія;Вміст;Примітка\r\n"
                                        "01.02.2024;1;1,25;\r\n"
                                        "02.02.2024;1;1,30;повтор\r\n"
                                        "03.02.2024;2;1,28;\r\n"
                                        "04.02.2024;2;1,31;\r\n");
    ASSERT_TRUE(WriteBytes(path, QStringEncoder("windows-1251").encode(text)));

    ImportSession session;
    ASSERT_TRUE(session.Open(path));
    EXPECT_EQ(session.DetectedFormat().Encoding, TextEncoding::Windows1251);
    EXPECT_TRUE(session.Choice().HeaderRow);
    EXPECT_EQ(session.Choice().DateColumn, 0);
    EXPECT_EQ(session.Choice().ValueColumns, (std::vector<int> { 1 })); // the first number column
    EXPECT_EQ(
        session.ColumnTitles(), (QStringList { "1 (A): Дата", "2 (B): Партія", "3 (C): Вміст", "4 (D): Примітка" }));

    session.SetValueColumns(2, 1);
    session.SetGroupColumn(1);
    EXPECT_TRUE(session.CanImport());
    EXPECT_EQ(session.Summary(), "Точок: 4, груп: 2, значень у точці: 1.");
    session.SetValueColumns(2, 2);
    EXPECT_EQ(session.Plan().BadRows.size(), 4u);
    session.SetValueColumns(1, 2); // the group column cannot hold values too
    EXPECT_FALSE(session.CanImport());
    EXPECT_TRUE(session.Summary().contains(QStringLiteral("і для значень")));

    // A wrong encoding forced by the analyst shows in the names; detection again puts it right.
    session.SetEncoding(TextEncoding::Utf8);
    EXPECT_NE(session.ColumnTitles()[0], "1 (A): Дата");
    session.SetEncoding(std::nullopt);
    EXPECT_EQ(session.ColumnTitles()[0], "1 (A): Дата");

    // A comma delimiter leaves one column, which holds no numbers.
    session.SetDelimiter(u',');
    session.SetValueColumns(0, 1);
    EXPECT_FALSE(session.CanImport());
    session.SetDelimiter(std::nullopt);
    session.SetValueColumns(2, 1);
    session.SetGroupColumn(1);
    session.SetHeaderRow(true);

    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    ASSERT_TRUE(session.Apply(doc));
    EXPECT_EQ(doc.PointCount(), 4);
    EXPECT_EQ(doc.GroupCount(), 2);
    EXPECT_EQ(doc.TableName(), "журнал");

    ImportSession missing;
    EXPECT_FALSE(missing.Open(dir.filePath(QStringLiteral("немає.csv"))));
    EXPECT_FALSE(missing.Error().isEmpty());
    EXPECT_FALSE(missing.Apply(doc));
}
