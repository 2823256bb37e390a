#include "program/HintFile.h"
#include "common/TestSupport.h"

#include <QStringEncoder>

namespace {

QByteArray Cp1251(const QString& text)
{
    QStringEncoder encoder("windows-1251");
    return encoder(text);
}

QByteArray Lines(const QStringList& lines, const char* end = "\r\n")
{
    return Cp1251(lines.join(QString::fromLatin1(end)) + QString::fromLatin1(end));
}

} // namespace

TEST(HintFile, RecordsTextAndGeometry)
{
    const QByteArray file = Lines({ QStringLiteral("Заголовок файлу, не запис"), QStringLiteral("#Help"),
        QStringLiteral("Перший рядок"), QStringLiteral("другий"), QStringLiteral("третій"), QStringLiteral("  %  "),
        QStringLiteral("10 20"), QStringLiteral("  300"), QStringLiteral("120"), QStringLiteral("#Вихід"),
        QStringLiteral("До побачення"), QStringLiteral("%"), QStringLiteral("-1 -1 200 100") });

    const HintLookup help = FindHint(file, QStringLiteral("Help"));
    ASSERT_EQ(help.Status, HintStatus::Found);
    // Three lines joined by LF CR; the terminator line is not part of the text.
    EXPECT_EQ(help.Record.Text, QStringLiteral("Перший рядок\n\rдругий\n\rтретій"));
    EXPECT_EQ(help.Record, (HintRecord { help.Record.Text, 10, 20, 300, 120, false }));

    const HintLookup bye = FindHint(file, QStringLiteral("Вихід"));
    ASSERT_EQ(bye.Status, HintStatus::Found);
    EXPECT_EQ(bye.Record, (HintRecord { QStringLiteral("До побачення"), -1, -1, 200, 100, false }));

    // The key line must match exactly: case, spaces and a key that is only a prefix.
    EXPECT_EQ(FindHint(file, QStringLiteral("help")).Status, HintStatus::KeyMissing);
    EXPECT_EQ(FindHint(file, QStringLiteral("Hel")).Status, HintStatus::KeyMissing);
    EXPECT_EQ(FindHint(file, QStringLiteral("Вихід ")).Status, HintStatus::KeyMissing);
    EXPECT_EQ(HintKeys(file), (QStringList { QStringLiteral("Help"), QStringLiteral("Вихід") }));
}

TEST(HintFile, PercentAsFirstLineIsText)
{
    const QByteArray file = Lines({ QStringLiteral("#K"), QStringLiteral("%"), QStringLiteral("після"),
        QStringLiteral("%"), QStringLiteral("1 2 300 100") });
    const HintLookup hint = FindHint(file, QStringLiteral("K"));
    ASSERT_EQ(hint.Status, HintStatus::Found);
    EXPECT_EQ(hint.Record.Text, QStringLiteral("%\n\rпісля"));
    EXPECT_EQ(hint.Record.Left, 1);
}

TEST(HintFile, FirstRecordWinsAndOtherLinesAreSkipped)
{
    // Line ends of every kind, as hand-edited files mix them.
    const QByteArray file = Cp1251(QStringLiteral("коментар\n#Інший\nне цей\r%\r5 5 200 90\r\n"
                                                  "сміття між записами\r\n#K\r\nперший\n%\n1 1 200 90\n"
                                                  "#K\r\nдругий\r\n%\r\n2 2 200 90\r\n"));
    const HintLookup hint = FindHint(file, QStringLiteral("K"));
    ASSERT_EQ(hint.Status, HintStatus::Found);
    EXPECT_EQ(hint.Record.Text, QStringLiteral("перший"));
    EXPECT_EQ(hint.Record.Left, 1);
    EXPECT_EQ(FindHint(file, QStringLiteral("Інший")).Record.Text, QStringLiteral("не цей"));
}

TEST(HintFile, BrokenRecordsNeverCrash)
{
    // No "%" before the end of the file: not shown.
    EXPECT_EQ(
        FindHint(Lines({ QStringLiteral("#K"), QStringLiteral("текст"), QStringLiteral("ще") }), QStringLiteral("K"))
            .Status,
        HintStatus::Unterminated);
    EXPECT_EQ(FindHint(Lines({ QStringLiteral("#K") }), QStringLiteral("K")).Status, HintStatus::Unterminated);

    // Fewer than four numbers, numbers that are not whole, or the next record where the numbers
    // should be: the text is shown centred at the design size.
    const HintRecord centred { QStringLiteral("текст"), -1, -1, 348, 109, true };
    for (const QString& numbers : { QStringLiteral("10 20 300"), QStringLiteral("10 20 3,5 100"),
             QStringLiteral("a b c d"), QStringLiteral("99999999999 1 1 1") }) {
        const HintLookup hint
            = FindHint(Lines({ QStringLiteral("#K"), QStringLiteral("текст"), QStringLiteral("%"), numbers }),
                QStringLiteral("K"));
        ASSERT_EQ(hint.Status, HintStatus::Found) << numbers.toStdString();
        EXPECT_EQ(hint.Record, centred) << numbers.toStdString();
    }
    const HintLookup next = FindHint(Lines({ QStringLiteral("#K"), QStringLiteral("текст"), QStringLiteral("%"),
                                         QStringLiteral("10 20"), QStringLiteral("#L"), QStringLiteral("1 2") }),
        QStringLiteral("K"));
    EXPECT_EQ(next.Record, centred);

    EXPECT_EQ(FindHint(QByteArray(), QStringLiteral("K")).Status, HintStatus::KeyMissing);
    EXPECT_EQ(
        ReadHint(QStringLiteral("/nonexistent/demo_err.txt"), QStringLiteral("K")).Status, HintStatus::CannotOpen);
}

TEST(HintFile, Placement)
{
    const QRect desktop(0, 0, 1024, 768);
    const QSize button(83, 21);

    const HintPlacement at = PlaceHint(HintRecord { QString(), 100, 50, 348, 109, false }, desktop, button);
    EXPECT_EQ(at.Frame, QRect(100, 50, 348, 109));
    EXPECT_EQ(at.Client, QSize(348, 109 - ToolFrameHeight));
    EXPECT_EQ(at.Button, QPoint(348 / 2 - 83 / 2, 109 - 21 - 30)); // 133, 58
    EXPECT_EQ(at.Button, QPoint(133, 58));
    EXPECT_EQ(at.Text, QPoint(5, 7));

    // Negative Left centres whatever Top says; so does a negative Top.
    EXPECT_EQ(PlaceHint(HintRecord { QString(), -1, 500, 300, 100, false }, desktop, button).Frame,
        QRect(362, 334, 300, 100));
    EXPECT_EQ(PlaceHint(HintRecord { QString(), 500, -7, 300, 100, false }, desktop, button).Frame,
        QRect(362, 334, 300, 100));
    // An odd width: each half truncated.
    EXPECT_EQ(PlaceHint(HintRecord { QString(), 0, 0, 301, 100, false }, desktop, button).Button.x(), 150 - 41);

    // Sizes beyond the desktop or too small for the button, and places off the desktop, are
    // brought back so the window can be closed.
    const HintPlacement huge = PlaceHint(HintRecord { QString(), 5000, 5000, 100000, 100000, false }, desktop, button);
    EXPECT_EQ(huge.Frame, desktop);
    const HintPlacement tiny = PlaceHint(HintRecord { QString(), 10, 10, 1, 1, false }, desktop, button);
    EXPECT_GE(tiny.Client.width(), button.width());
    EXPECT_GE(tiny.Button.y(), 0);
    EXPECT_TRUE(
        desktop.contains(PlaceHint(HintRecord { QString(), 1000, 700, 300, 100, false }, desktop, button).Frame));
}

TEST(HintFile, DisplayTextBreaksAtLfCr)
{
    EXPECT_EQ(DisplayText(QStringLiteral("а\n\rб\n\rв")), QStringLiteral("а\nб\nв"));
}
