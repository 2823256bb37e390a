#pragma once

#include <QDialog>

class Hints;
class QListWidget;
class QPushButton;

// "Оберіть приклад": the four examples of the example list.
class TChoiseForm : public QDialog {
    Q_OBJECT
public:
    explicit TChoiseForm(Hints* hints, QWidget* parent = nullptr);

    // The chooser, modal, with the first entry selected: the chosen entry, or -1 when cancelled.
    int Choose();
    void bOKClick(); // closes with OK only when an entry is selected
    void FormActivate(); // the "Приклади" hint, once per showing

    QListWidget* List;
    QPushButton* bOK;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Hints* m_hints;
    bool m_hintDue = false; // the "Приклади" hint once per showing, not again after the hint closes
};
