#pragma once

#include <QDialog>

class ChangeLog;
class ChangeLogModel;
class QLabel;
class QPushButton;
class QTableView;

// "Журнал змін": the document's change log in a table, and whether its chain of hashes holds. Not
// modal: the analyst may keep it open while editing; the window refreshes it after each change.
class ChangeLogWindow final : public QDialog {
    Q_OBJECT
public:
    static QString Caption(); // "Журнал змін"

    explicit ChangeLogWindow(const ChangeLog& log, QWidget* parent = nullptr);

    // After a change of the document; reset: the log may belong to another document now.
    void Refresh(bool reset = false);

    QTableView* Grid() const { return m_grid; }
    QLabel* Verdict() const { return m_verdict; }
    ChangeLogModel* Model() const { return m_model; }

private:
    ChangeLogModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QLabel* m_verdict = nullptr;
    QPushButton* m_close = nullptr;
};
