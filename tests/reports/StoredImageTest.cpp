#include "reports/PreparedReport.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <gtest/gtest.h>

using rpt::StoredImage;

namespace {
QImage FewColours()
{
    QImage image(730, 285, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::red);
    painter.drawLine(0, 0, 729, 284);
    painter.setPen(Qt::darkGreen);
    painter.drawText(20, 40, QStringLiteral("74,012 мм"));
    return image;
}

QImage ManyColours()
{
    QImage image(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    return image;
}

QImage Decoded(const QByteArray& png)
{
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "png").read().convertToFormat(QImage::Format_ARGB32);
}
}

// Pictures are kept compressed; what comes back out, drawn or as PNG, is the very same pixels.
TEST(StoredImage, KeepsEveryPixel)
{
    QImage translucent(40, 30, QImage::Format_ARGB32);
    translucent.fill(qRgba(10, 20, 30, 128));
    QImage indexed = FewColours().convertToFormat(QImage::Format_Indexed8);
    for (const QImage& source :
        { FewColours(), ManyColours(), translucent, indexed, QImage(1, 1, QImage::Format_RGB16) }) {
        const StoredImage stored(source);
        EXPECT_EQ(stored.size(), source.size());
        const QImage expected = source.convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(stored.image().convertToFormat(QImage::Format_ARGB32), expected);
        EXPECT_EQ(Decoded(stored.png()), expected);
    }
    // A chart of a few colours takes a small part of its 32-bit size.
    EXPECT_LT(StoredImage(FewColours()).storedBytes(), 730 * 285 * 4 / 50);
    EXPECT_TRUE(StoredImage(QImage()).image().isNull());
}
