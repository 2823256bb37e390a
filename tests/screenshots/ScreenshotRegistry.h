#pragma once

// The screenshot program: every file tests/screenshots/*Shots.cpp registers named cases, each of
// which builds windows and saves pictures of them. Adding a window to the screenshots means adding
// such a file; nothing else changes:
//
//     #include "ScreenshotRegistry.h"
//     MERIDAN_SCREENSHOT_CASE(AboutWindow)
//     {
//         TAboutBox about;
//         shots.Save(QStringLiteral("about"), &about);
//     }
//
// Run: build/tests/meridan-screenshots OUTPUT_FOLDER [NAME_FILTER]

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QImage;
class QWidget;

class ScreenshotContext {
public:
    explicit ScreenshotContext(QString folder);

    // Shows widget (when hidden), lets it paint, and writes OUTPUT_FOLDER/name.png.
    void Save(const QString& name, QWidget* widget);
    // Runs open, which must open a modal dialog, saves the dialog as name once it shows, and closes it.
    // Writes OUTPUT_FOLDER/name.png from a picture drawn without a window (report pages).
    void SaveImage(const QString& name, const QImage& image);
    // Counts pictures another program wrote into the folder.
    void Counted(int pictures) { m_saved += pictures; }
    void SaveModal(const QString& name, const std::function<void()>& open);
    // Lets queued events (paints, deferred layouts) run.
    static void Settle();
    // Every document file of the repository's data folder, sorted.
    static QStringList DataDocuments();
    QString Folder() const { return m_folder; }
    int Saved() const { return m_saved; }
    QStringList Failures() const { return m_failures; }
    void Fail(const QString& what) { m_failures.append(what); }

private:
    QString m_folder;
    int m_saved = 0;
    QStringList m_failures;
};

struct ScreenshotCase {
    const char* Name;
    std::function<void(ScreenshotContext&)> Run;
};

std::vector<ScreenshotCase>& ScreenshotCases();

struct ScreenshotRegistration {
    ScreenshotRegistration(const char* name, std::function<void(ScreenshotContext&)> run)
    {
        ScreenshotCases().push_back({ name, std::move(run) });
    }
};

#define MERIDAN_SCREENSHOT_CASE(NAME)                                                                                  \
    static void screenshotCase_##NAME(ScreenshotContext& shots);                                                       \
    static const ScreenshotRegistration screenshotRegistration_##NAME(#NAME, screenshotCase_##NAME);                   \
    static void screenshotCase_##NAME(ScreenshotContext& shots)
