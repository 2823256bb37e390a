#include "model/SharedTextColumn.h"

#include "common/TestSupport.h"

#include <random>
#include <vector>

// Random edits against a plain list of strings: the same texts, null and empty kept apart,
// through repeats, rows inserted and erased, and the dropping of texts no row uses.
TEST(SharedTextColumn, BehavesAsAListOfStrings)
{
    std::mt19937 rng(11);
    const QStringList pool { QString(), QStringLiteral(""), QStringLiteral("01.01.2024"), QStringLiteral("02.01.2024"),
        QStringLiteral("Дата"), QStringLiteral(" ") };
    SharedTextColumn column;
    std::vector<QString> expected;
    for (int step = 0; step < 60000; ++step) {
        const size_t size = expected.size();
        const unsigned choice = rng() % 20;
        if (choice == 0 || size == 0) {
            const size_t at = size == 0 ? 0 : rng() % (size + 1);
            const size_t count = 1 + rng() % 3;
            column.insert(at, count);
            expected.insert(expected.begin() + std::ptrdiff_t(at), count, QString());
        } else if (choice == 1) {
            const size_t at = rng() % size;
            const size_t count = std::min<size_t>(1 + rng() % 2, size - at);
            column.erase(at, count);
            expected.erase(expected.begin() + std::ptrdiff_t(at), expected.begin() + std::ptrdiff_t(at + count));
        } else if (choice == 2) {
            const size_t rows = rng() % (size + 4);
            column.resize(rows);
            expected.resize(rows);
        } else {
            const size_t row = rng() % size;
            QString text;
            switch (rng() % 4) {
            case 0: // one of a few texts, as dates repeat
                text = pool[qsizetype(rng() % pool.size())];
                break;
            case 1: // a text of its own
                text = QString::number(step);
                break;
            case 2: { // another row's own string
                const size_t from = rng() % size;
                column.set(row, column.at(from));
                expected[row] = expected[from];
                continue;
            }
            default: // through a view
                text = pool[qsizetype(rng() % pool.size())] + QString::number(rng() % 50);
                column.set(row, QStringView(text));
                expected[row] = text;
                continue;
            }
            column.set(row, text);
            expected[row] = text;
        }
        ASSERT_EQ(column.size(), expected.size()) << step;
        if (step % 97 == 0 || step > 59000) {
            for (size_t row = 0; row < expected.size(); ++row) {
                ASSERT_EQ(column.at(row), expected[row]) << "step " << step << ", row " << row;
                ASSERT_EQ(column.at(row).isNull(), expected[row].isNull()) << "step " << step << ", row " << row;
            }
        }
    }
}

TEST(SharedTextColumn, RowsWithTheSameTextShareOneString)
{
    SharedTextColumn column;
    column.resize(3);
    column.set(0, QStringView(u"01.01.2024"));
    column.set(1, QStringLiteral("01.01.2024"));
    column.set(2, QStringView(u"02.01.2024"));
    EXPECT_TRUE(column.at(0).isSharedWith(column.at(1)));
    EXPECT_FALSE(column.at(0).isSharedWith(column.at(2)));
    EXPECT_EQ(column.at(2), QStringLiteral("02.01.2024"));
}
