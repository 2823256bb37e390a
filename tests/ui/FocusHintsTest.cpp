#include "common/TestSupport.h"
#include "program/ProgramFiles.h"
#include "ui/GroupHandlingBox.h"
#include "ui/Hints.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringEncoder>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Stands in for the hint window: when a hint closes, the main window becomes active again and
// its focused control gets the focus back, as every platform does it.
class ReturningHintView final : public HintView {
public:
    void UserMessage(const HintRecord& record) override
    {
        shown.append(record.Text);
        if (focused && shown.size() < 5) { // a fault shows it again and again; five are enough to see
            QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
            QApplication::sendEvent(focused, &back);
        }
    }
    void EndApplication() override { }

    QWidget* focused = nullptr;
    QStringList shown;
};

void WriteHintFile(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QStringEncoder encoder("windows-1251");
    file.write(encoder(QStringLiteral("#Редагування\r\nредагування\r\n%\r\n-1 -1 300 100\r\n")));
}

} // namespace

// Entering a control shows its hint once; the focus coming back as the hint closes (the window
// becoming active again) is no entering and shows nothing.
TEST(FocusHints, EnteringShowsTheHintOnceAndTheReturningFocusNever)
{
    QTemporaryDir folder;
    WriteHintFile(folder.filePath(GeneralHintFileName));
    RecordingMessenger messenger;
    TMainForm window(&messenger);
    ReturningHintView view;
    window.hints().SetFolder(folder.path());
    window.hints().SetView(&view);
    ASSERT_TRUE(window.OpenDocument(QStringLiteral(MERIDAN_SOURCE_DIR "/data/viscosity.mrd")));
    window.Compute();
    ASSERT_TRUE(window.Document().IsComputed());
    window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(TMainForm::ChartTabOffset);
    auto* middleCheck = window.findChild<QCheckBox*>(QStringLiteral("MiddleCheckBox"));
    auto* sigmaCheck = window.findChild<QCheckBox*>(QStringLiteral("SigmaCheckBox"));
    if (middleCheck->isChecked())
        middleCheck->click();
    if (sigmaCheck->isChecked())
        sigmaCheck->click();
    ASSERT_FALSE(middleCheck->isChecked() || sigmaCheck->isChecked());

    QList<QWidget*> controls;
    for (const char* name : { "TableName", "Edit7", "Edit18", "Edit8", "Edit12", "Edit11", "Edit10", "Edit9", "Edit1",
             "Memo1", "Edit6", "Edit14", "Edit15", "Edit17", "MiddleEdit", "SigmaEdit", "SigmaEdit2", "ComboBox1" }) {
        QWidget* control = window.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        controls.append(control);
    }
    const auto settle = [&] { return QTest::qWaitFor([&] { return !window.hints().HintPending(); }, 5000); };
    for (const Qt::FocusReason reason : { Qt::TabFocusReason, Qt::MouseFocusReason, Qt::ActiveWindowFocusReason }) {
        for (QWidget* control : controls) {
            SCOPED_TRACE(control->objectName().toStdString() + " reason " + std::to_string(int(reason)));
            view.shown.clear();
            view.focused = control;
            QFocusEvent in(QEvent::FocusIn, reason);
            QApplication::sendEvent(control, &in);
            ASSERT_TRUE(settle());
            EXPECT_EQ(view.shown.size(), reason == Qt::ActiveWindowFocusReason ? 0 : 1);
        }
    }
    EXPECT_TRUE(messenger.messages.isEmpty()) << messenger.messages.join('\n').toStdString();
}
