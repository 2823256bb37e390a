#pragma once

#include <QImage>
#include <QWidget>

class MeasurementDocument;
class QScrollBar;
class ChartImage;

// The content of one chart tab: the 773 x 285 chart image and the horizontal scroll bar under it.
// The image is drawn by the same routine the command-line chart and the report pictures use, at
// its pixel size, and shown without smoothing.
class ChartPageView : public QWidget {
    Q_OBJECT
public:
    ChartPageView(MeasurementDocument& document, int slot, QWidget* parent = nullptr);
    ~ChartPageView() override;

    int Slot() const { return m_slot; }
    QScrollBar* ScrollBar() const { return m_scrollBar; } // ScrollBar1, 3, 4, 5, 6 or 7 by slot
    void UpdateScrollRange(); // the page's ChartExtent anew, and the range and steps from it
    void Redraw(); // draws the slot at the scroll bar's position
    void Clear(); // no results: a white page, the scroll bar at 0 and disabled
    const QImage& Image() const { return m_image; }

    // The scroll fraction the drawing gets: position / (maximum - minimum), 0 while disabled.
    double ScrollFraction() const;

    static QString ImageName(int slot); // "Image1" .. "Image6"
    static QString ScrollBarName(int slot); // "ScrollBar1", "ScrollBar3" .. "ScrollBar7"

Q_SIGNALS:
    void scrolled(int slot); // the analyst moved the scroll bar; the view has already redrawn itself

private:
    void scrollBarMoved(int position);

    MeasurementDocument& m_document;
    const int m_slot;
    QImage m_image;
    ChartImage* m_imageWidget = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    bool m_settingRange = false; // the program sets the range: no redraw, no signal
    bool m_analystAction = false; // the next position change comes from the analyst
};
