#pragma once
// Stand-in until the real group box is merged; built only while src/ui has none.

#include <QGroupBox>

class Hints;
class MeasurementDocument;

class GroupHandlingBox : public QGroupBox {
    Q_OBJECT
public:
    GroupHandlingBox(MeasurementDocument& document, Hints& hints, QWidget* parent = nullptr);
    void ShowSlot(int slot) { m_slot = slot; }
    int Slot() const { return m_slot; }
    void Clear() { }
Q_SIGNALS:
    void linesChanged(int slot);

private:
    int m_slot = 0;
};
