// Renders the application icon's SVG into the PNG sizes of the icon theme at build time:
// render_icon SVG OUTPUT_FOLDER SIZE... writes OUTPUT_FOLDER/SIZExSIZE/apps/meridan.png.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        QTextStream(stderr) << "usage: render_icon SVG OUTPUT_FOLDER SIZE...\n";
        return 2;
    }
    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        QTextStream(stderr) << "cannot read " << args[1] << '\n';
        return 1;
    }
    for (const QString& sizeText : args.mid(3)) {
        const int size = sizeText.toInt();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[2]).arg(size);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("/meridan.png"))) {
            QTextStream(stderr) << "cannot write " << folder << '\n';
            return 1;
        }
    }
    return 0;
}
