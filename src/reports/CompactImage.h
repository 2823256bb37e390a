#pragma once

#include <QImage>

// The picture as an 8-bit indexed image with the very same pixels when it has at most 256
// colours (a chart has a few dozen): a quarter of the memory, and a quarter of the work to store
// it in a prepared report. Any other picture comes back as it is.
QImage CompactImage(const QImage& image);
