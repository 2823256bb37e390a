#include "exchange/DelimitedText.h"
#include "common/TestSupport.h"

#include <QStringEncoder>

namespace {

QStringList RowCells(const SourceTable& table, int row)
{
    QStringList cells;
    for (int c = 0; c < table.CellCount(row); ++c)
        cells << table.Cell(row, c).toString();
    return cells;
}

} // namespace

TEST(DelimitedText, QuotedFieldsKeepSeparatorsQuotesAndLineBreaks)
{
    const QString text = QStringLiteral("a;\"b;c\";\"say \"\"hi\"\"\"\r\n"
                                        "\"two\r\nlines\";x;\r\n"
                                        "\r\n"
                                        "last;\"\";\"tail\"er\n");
    const SourceTable table = ParseDelimited(text, u';');
    ASSERT_EQ(table.RowCount(), 3);
    EXPECT_EQ(RowCells(table, 0), (QStringList { "a", "b;c", "say \"hi\"" }));
    EXPECT_EQ(RowCells(table, 1), (QStringList { "two\r\nlines", "x", "" }));
    EXPECT_EQ(RowCells(table, 2), (QStringList { "last", "", "tailer" }));
    // Rows remember the line they start on; the blank line is skipped, not counted as a row.
    EXPECT_EQ(table.Line(0), 1);
    EXPECT_EQ(table.Line(1), 2);
    EXPECT_EQ(table.Line(2), 5);
    EXPECT_EQ(table.ColumnCount(), 3);
    EXPECT_EQ(table.UnclosedQuoteLine, 0);
    EXPECT_TRUE(table.Cell(2, 7).isEmpty()); // past the row's end

    const SourceTable open = ParseDelimited(u"1;2\n3;\"4\n5;6\n", u';');
    EXPECT_EQ(open.UnclosedQuoteLine, 2);
    EXPECT_EQ(open.RowCount(), 2);

    // Blank rows kept on request (a pasted column with an empty cell), a trailing delimiter ends in an empty field.
    const SourceTable kept = ParseDelimited(u"1\n\n3;", u';', -1, true);
    ASSERT_EQ(kept.RowCount(), 3);
    EXPECT_EQ(RowCells(kept, 2), (QStringList { "3", "" }));
}

TEST(DelimitedText, EncodingsByMarkAndByContent)
{
    const QString cyrillic = QStringLiteral("Вміст;Дата\n1,5;01.02.2024\n");
    TextFormat format;
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF" + cyrillic.toUtf8(), std::nullopt, format), cyrillic);
    EXPECT_EQ(format.Encoding, TextEncoding::Utf8);
    EXPECT_TRUE(format.ByteOrderMark);
    EXPECT_EQ(DecodeText(cyrillic.toUtf8(), std::nullopt, format), cyrillic);
    EXPECT_FALSE(format.ByteOrderMark);
    const QByteArray cp1251 = QStringEncoder("windows-1251").encode(cyrillic);
    EXPECT_EQ(DecodeText(cp1251, std::nullopt, format), cyrillic);
    EXPECT_EQ(format.Encoding, TextEncoding::Windows1251);
    // Spreadsheets' "Unicode text" is UTF-16 with a mark.
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    EXPECT_EQ(DecodeText(utf16.encode(cyrillic), std::nullopt, format), cyrillic);
    EXPECT_EQ(format.Encoding, TextEncoding::Utf16);
    // Forced: what the analyst says, even when the bytes would say otherwise.
    EXPECT_NE(DecodeText(cyrillic.toUtf8(), TextEncoding::Windows1251, format), cyrillic);
    EXPECT_EQ(format.Encoding, TextEncoding::Windows1251);
}

TEST(DelimitedText, DelimiterAndDecimalDetection)
{
    EXPECT_EQ(DetectDelimiter(u"Дата;Вміст\n01.02.2024;1,5\n02.02.2024;1,7\n"), u';');
    EXPECT_EQ(DetectDelimiter(u"x1,x2\n1.5,2.5\n1.7,2.0\n"), u',');
    EXPECT_EQ(DetectDelimiter(u"x1\tx2\n1,5\t2,5\n"), u'\t');
    // A column of decimal-comma numbers is one column, not two.
    EXPECT_EQ(DetectDelimiter(u"Значення\n5,86\n5,15\n4,45\n5,01\n5,22\n"), u';');
    EXPECT_EQ(DetectDelimiter(u"value\n5.86\n"), u';');
    // A comma in a quoted text does not make the comma the delimiter when ";" splits every line.
    EXPECT_EQ(DetectDelimiter(u"\"a, b\";1\n\"c, d\";2\n"), u';');

    TextFormat format;
    const SourceTable comma = ReadDelimitedText("a;b\n1,5;2,25\n3;4,5\n", {}, format);
    EXPECT_EQ(format.Delimiter, u';');
    EXPECT_EQ(format.Decimal, DecimalSeparator::Comma);
    EXPECT_EQ(comma.RowCount(), 3);
    ReadDelimitedText("a;b\n1.5;2.25\n01.02.2024;4\n", {}, format);
    EXPECT_EQ(format.Decimal, DecimalSeparator::Point);
    // Overrides win over detection.
    TextFormatChoice choice;
    choice.Delimiter = u',';
    choice.Decimal = DecimalSeparator::Comma;
    const SourceTable forced = ReadDelimitedText("1,5;2\n", choice, format);
    EXPECT_EQ(format.Delimiter, u',');
    EXPECT_EQ(format.Decimal, DecimalSeparator::Comma);
    EXPECT_EQ(forced.ColumnCount(), 2);
}
