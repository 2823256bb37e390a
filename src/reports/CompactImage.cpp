#include "reports/CompactImage.h"

#include <QHash>
#include <QList>

QImage CompactImage(const QImage& image)
{
    if (image.format() != QImage::Format_RGB32)
        return image;
    QList<QRgb> table;
    QHash<QRgb, uchar> index;
    QImage indexed(image.size(), QImage::Format_Indexed8);
    if (indexed.isNull())
        return image;
    QRgb last = 0;
    uchar lastIndex = 0;
    bool haveLast = false;
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        const QRgb* source = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* target = indexed.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = source[x] | 0xFF000000u;
            if (!haveLast || pixel != last) {
                auto found = index.constFind(pixel);
                if (found == index.constEnd()) {
                    if (table.size() == 256)
                        return image;
                    found = index.insert(pixel, uchar(table.size()));
                    table.append(pixel);
                }
                last = pixel;
                lastIndex = *found;
                haveLast = true;
            }
            target[x] = lastIndex;
        }
    }
    indexed.setColorTable(table);
    indexed.setDotsPerMeterX(image.dotsPerMeterX());
    indexed.setDotsPerMeterY(image.dotsPerMeterY());
    return indexed;
}

