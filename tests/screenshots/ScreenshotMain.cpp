#include "ScreenshotRegistry.h"

#include "ui/ApplicationLook.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>

std::vector<ScreenshotCase>& ScreenshotCases()
{
    static std::vector<ScreenshotCase> cases;
    return cases;
}

ScreenshotContext::ScreenshotContext(QString folder)
    : m_folder(std::move(folder))
{
    QDir().mkpath(m_folder);
}

void ScreenshotContext::Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

void ScreenshotContext::Save(const QString& name, QWidget* widget)
{
    if (!widget->isVisible())
        widget->show();
    widget->raise();
    Settle();
    const QString path = m_folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!widget->grab().save(path))
        m_failures.append(QStringLiteral("cannot write ") + path);
    else
        ++m_saved;
}

void ScreenshotContext::SaveImage(const QString& name, const QImage& image)
{
    const QString path = m_folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!image.save(path))
        m_failures.append(QStringLiteral("cannot write ") + path);
    else
        ++m_saved;
}

void ScreenshotContext::SaveModal(const QString& name, const std::function<void()>& open)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || seen)
            return;
        seen = true;
        Save(name, modal);
        modal->close();
    });
    poll.start();
    open();
    poll.stop();
    if (!seen)
        m_failures.append(name + QStringLiteral(": no modal window opened"));
}

QStringList ScreenshotContext::DataDocuments()
{
    const QDir data(QStringLiteral(MERIDAN_SOURCE_DIR "/data"));
    QStringList files;
    for (const QString& name : data.entryList({ QStringLiteral("*.mrd") }, QDir::Files, QDir::Name))
        files.append(data.filePath(name));
    return files;
}

int main(int argc, char** argv)
{
    PrepareApplicationLook();
    QApplication app(argc, argv);
    ApplyApplicationLook();
    QLocale::setDefault(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: meridan-screenshots OUTPUT_FOLDER [NAME_FILTER]\n");
        return 2;
    }
    ScreenshotContext shots(arguments.at(1));
    const QString filter = arguments.value(2);
    std::vector<ScreenshotCase> cases = ScreenshotCases();
    std::sort(cases.begin(), cases.end(),
        [](const ScreenshotCase& a, const ScreenshotCase& b) { return qstrcmp(a.Name, b.Name) < 0; });
    for (const ScreenshotCase& c : cases) {
        if (!filter.isEmpty() && !QString::fromLatin1(c.Name).contains(filter, Qt::CaseInsensitive))
            continue;
        std::printf("%s\n", c.Name);
        std::fflush(stdout);
        c.Run(shots);
    }
    for (const QString& failure : shots.Failures())
        std::fprintf(stderr, "%s\n", qPrintable(failure));
    std::printf("%d pictures in %s\n", shots.Saved(), qPrintable(shots.Folder()));
    return shots.Failures().isEmpty() ? 0 : 1;
}
