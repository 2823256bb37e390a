#include "common/TestSupport.h"
#include "ui/ApplicationLook.h"
#include "ui/DetailsWindow.h"
#include "ui/Hints.h"
#include "ui/MainForm.h"

#include <QGuiApplication>

// A window manager shows the platform title, which Qt forms from the window title and the
// application display name; a display name of its own would follow every caption there.
TEST(WindowTitles, TheWindowManagerSeesExactlyTheCaptions)
{
    const QString applicationName = QCoreApplication::applicationName();
    ApplyApplicationIdentity();
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), applicationName);

    RecordingMessenger messenger;
    TMainForm window(&messenger);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Мерідан"));
    const QString example = QStringLiteral(MERIDAN_SOURCE_DIR "/data/viscosity.mrd");
    ASSERT_TRUE(window.OpenDocument(example));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Мерідан - ") + example);

    Hints hints;
    TFDet details(hints);
    details.Prepare(CriteriaFamily::Westgard, QStringLiteral("Карта індивідуальних значень"), 2);
    EXPECT_EQ(details.windowTitle(), QStringLiteral("Деталі по карті - Карта індивідуальних значень"));
}
