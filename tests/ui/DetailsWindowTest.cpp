#include "ui/DetailsWindow.h"
#include "common/TestSupport.h"
#include "ui/Hints.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTableView>
#include <QTest>

namespace {
constexpr int DetailsPointsColumn = 2;
}

// Every criterion row of both details windows shows at once for findings of up to twelve hits,
// each point with its date; the window grows for them, within the screen.
TEST(DetailsWindow, EveryRowShowsForTwelveDatedHits)
{
    QStringList dates;
    for (int p = 1; p <= 200; ++p)
        dates.append(QStringLiteral("%1.03.2024").arg(1 + p % 28, 2, 10, QLatin1Char('0')));
    // Twelve hits in the last criterion, a critical one, or spread over all of them.
    std::vector<std::pair<CriteriaFamily, ErrorArray>> cases;
    for (const CriteriaFamily family : { CriteriaFamily::Westgard, CriteriaFamily::Iso }) {
        const int last = family == CriteriaFamily::Westgard ? 6 : 8;
        ErrorArray lastOnly, spread;
        for (int k = 0; k < 12; ++k) {
            lastOnly.push_back({ last, 10 + 12 * k, 10 + 12 * k + (k % 3 == 0 ? 1 : 0) });
            spread.push_back({ 1 + k % last, 10 + 12 * k, 10 + 12 * k + (k % 3 == 0 ? 1 : 0) });
        }
        cases.emplace_back(family, lastOnly);
        cases.emplace_back(family, spread);
    }
    for (const auto& [family, hits] : cases) {
        SCOPED_TRACE(int(family));
        Hints hints;
        TFDet details(hints);
        const std::vector<DetailsRow> rows = DetailsGridRows(family, hits, dates);
        details.SetResults(rows, rows);
        details.Prepare(family, QStringLiteral("Карта індивідуальних значень"), 2);
        QTableView* grid = family == CriteriaFamily::Westgard ? details.WestgardGrid() : details.IsoGrid();
        details.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&details));
        const QAbstractItemModel* model = grid->model();
        ASSERT_GT(model->rowCount(), 5);
        for (int row = 0; row < model->rowCount(); ++row) {
            const QRect cell = grid->visualRect(model->index(row, DetailsPointsColumn));
            EXPECT_GE(cell.top(), 0) << row;
            EXPECT_LE(cell.bottom(), grid->viewport()->height()) << row;
            // The wrapped list of points fits its row.
            const QString text = model->index(row, DetailsPointsColumn).data().toString();
            const QRect needed = grid->fontMetrics().boundingRect(
                QRect(0, 0, grid->columnWidth(DetailsPointsColumn) - 8, 10000), Qt::TextWordWrap, text);
            EXPECT_LE(needed.height(), cell.height()) << row;
        }
        EXPECT_TRUE(details.rect().contains(grid->geometry()));
        EXPECT_LE(details.height(), QGuiApplication::primaryScreen()->availableGeometry().height());
        details.hide();
    }
}
