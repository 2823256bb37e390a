#pragma once

#include <QStringList>
#include <QWidget>

class Messenger;
class QLabel;
class TPicture;
class TPictureButton;

// The splash shown at start-up. Its button, any key or its close box hide it and hand over to
// the main window (Finished); it never ends the program.
class TFirstForm : public QWidget {
    Q_OBJECT
public:
    // "demo_about.txt" is read from folder; messenger says once when it cannot be.
    TFirstForm(const QString& folder, Messenger* messenger, QWidget* parent = nullptr);

    // Reads the splash text afresh: every activation shows the file as it is now.
    void FormActivate();

    TPicture* Bkg;
    QLabel* Text;
    TPictureButton* bOK;
    QStringList Lines; // the file's lines, kept for the program's life

Q_SIGNALS:
    void Finished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void bOKClick();

    QString m_folder;
    Messenger* m_messenger;
    bool m_complained = false;
};
