#include "model/CellTextStore.h"

#include "common/TestSupport.h"

namespace {

QStringList texts(const CellTextStore& store)
{
    QStringList out;
    for (size_t i = 0; i < store.size(); ++i)
        out << store.at(i).toString();
    return out;
}

} // namespace

// Rows move as runs of cells; the texts of the other cells stay whole, including texts rewritten
// after a move and texts written last, whose characters an erase gives back.
TEST(CellTextStore, InsertAndEraseMoveCellsAndKeepTheirTexts)
{
    CellTextStore store;
    store.resize(4);
    for (size_t i = 0; i < 4; ++i)
        store.set(i, QString::number(i * 11));
    store.insert(1, 2);
    EXPECT_EQ(texts(store), (QStringList { "0", "", "", "11", "22", "33" }));
    store.set(2, QStringLiteral("нове"));
    store.set(1, QStringLiteral("x"));
    store.erase(1, 2); // the newest texts: their characters go back
    EXPECT_EQ(texts(store), (QStringList { "0", "11", "22", "33" }));
    store.set(3, QStringLiteral("довший текст"));
    store.erase(0, 1);
    EXPECT_EQ(texts(store), (QStringList { "11", "22", "довший текст" }));
    store.insert(3, 1);
    store.set(3, QStringLiteral("кінець"));
    EXPECT_EQ(texts(store), (QStringList { "11", "22", "довший текст", "кінець" }));
    store.erase(2, 2);
    store.insert(2, 1);
    store.set(2, QStringLiteral("ще"));
    EXPECT_EQ(texts(store), (QStringList { "11", "22", "ще" }));
}
