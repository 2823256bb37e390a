#pragma once
// Stand-in until the real new-document dialog is merged; built only while src/ui has none.

#include <QDialog>

class TfmTempNew : public QDialog {
    Q_OBJECT
public:
    explicit TfmTempNew(QWidget* parent = nullptr);
    int Execute(); // 1 individual values, 2 subgroup values, 9 cancelled
};
