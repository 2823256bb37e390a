#pragma once
// Stand-in until the real chart page view is merged; built only while src/ui has none.

#include <QImage>
#include <QWidget>

class MeasurementDocument;
class QLabel;
class QScrollBar;

class ChartPageView : public QWidget {
    Q_OBJECT
public:
    ChartPageView(MeasurementDocument& document, int slot, QWidget* parent = nullptr);
    int Slot() const { return m_slot; }
    QScrollBar* ScrollBar() const { return m_scrollBar; }
    void UpdateScrollRange();
    void Redraw();
    void Clear();
    const QImage& Image() const { return m_image; }
Q_SIGNALS:
    void scrolled(int slot);

private:
    MeasurementDocument& m_document;
    int m_slot;
    QLabel* m_label;
    QScrollBar* m_scrollBar;
    QImage m_image;
};
