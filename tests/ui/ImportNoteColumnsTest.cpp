#include "UiTestSupport.h"

#include "exchange/ImportSession.h"
#include "model/MeasurementDocument.h"
#include "ui/ImportDialog.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

// The note columns of the import dialog choose the session's, and a clash with the values says why.
TEST(ImportNoteColumns, DialogChoosesTheNoteColumns)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.csv"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x;Примітка;Дія;Виключити\n1,5;;;\n1,6;повтор;нова проба;\n1,7;;;викид\n");
    }
    ImportSession session;
    ASSERT_TRUE(session.Open(path));
    TImportDialog dialog(session);
    for (QComboBox* box : { dialog.NoteCombo(), dialog.ActionCombo(), dialog.ExcludeCombo() }) {
        EXPECT_EQ(box->currentIndex(), 0); // "немає" until the analyst chooses
        EXPECT_EQ(box->count(), 5);
    }
    dialog.NoteCombo()->setCurrentIndex(2);
    dialog.ActionCombo()->setCurrentIndex(3);
    dialog.ExcludeCombo()->setCurrentIndex(4);
    EXPECT_EQ(session.Choice().NoteColumn, 1);
    EXPECT_EQ(session.Choice().ActionColumn, 2);
    EXPECT_EQ(session.Choice().ExcludeColumn, 3);
    ASSERT_TRUE(dialog.ImportButton()->isEnabled()) << dialog.SummaryLabel()->text().toStdString();
    EXPECT_TRUE(dialog.Preview()->horizontalHeaderItem(3)->font().bold());

    RecordingMessenger messenger;
    MeasurementDocument doc(messenger);
    ASSERT_TRUE(session.Apply(doc));
    ASSERT_EQ(doc.PointNotes().size(), 2u);
    EXPECT_EQ(doc.NoteOf(2)->Action, "нова проба");
    EXPECT_EQ(doc.NoteOf(3)->ExcludeReason, "викид");

    dialog.NoteCombo()->setCurrentIndex(1); // the value column
    EXPECT_FALSE(dialog.ImportButton()->isEnabled());
    EXPECT_TRUE(dialog.SummaryLabel()->text().contains(QStringLiteral("і для приміток")));
}
