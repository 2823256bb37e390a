// The splash, the About window, the example chooser and the hint window, with the delivered files.
#include "ScreenshotRegistry.h"

#include "program/HintFile.h"
#include "program/ProgramFiles.h"
#include "ui/AboutBox.h"
#include "ui/ExampleChooser.h"
#include "ui/HintWindow.h"
#include "ui/Hints.h"
#include "ui/SplashWindow.h"

#include <QDir>
#include <QListWidget>

namespace {

const QString DataFolder = QStringLiteral(MERIDAN_SOURCE_DIR "/data");

// The hint window as the hint would show it, without waiting for the analyst.
void shootHint(ScreenshotContext& shots, const QString& name, const QString& file, const QString& key)
{
    const HintLookup hint = ReadHint(QDir(DataFolder).filePath(file), key);
    if (hint.Status != HintStatus::Found) {
        shots.Fail(file + QStringLiteral(": no hint ") + key);
        return;
    }
    TMessageForm form;
    form.Prepare(hint.Record);
    shots.Save(name, &form);
}

} // namespace

MERIDAN_SCREENSHOT_CASE(StartWindows)
{
    TFirstForm splash(DataFolder, nullptr);
    shots.Save(QStringLiteral("start-splash"), &splash);

    TAboutBox about;
    shots.Save(QStringLiteral("start-about"), &about);

    Hints hints; // no view: the chooser's hint is shot on its own below
    TChoiseForm chooser(&hints);
    chooser.List->setCurrentRow(0);
    shots.Save(QStringLiteral("start-examples"), &chooser);

    shootHint(shots, QStringLiteral("hint-general-help"), GeneralHintFileName, QStringLiteral("Help"));
    shootHint(shots, QStringLiteral("hint-general-examples"), GeneralHintFileName, QStringLiteral("Приклади"));
    shootHint(shots, QStringLiteral("hint-example-start"), QStringLiteral("sourcream.txt"), QStringLiteral("Початок"));
    shootHint(shots, QStringLiteral("hint-example-details"), QStringLiteral("pistonrings.txt"),
        QStringLiteral("Детальніше 1 на вкладці 2"));
}
