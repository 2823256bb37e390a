#pragma once

#include <QDialog>

class QFrame;
class QPushButton;
class QTextEdit;
class TPicture;

// "Про програму": the program's title, version and makers beside its picture.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    static QStringList AboutLines(); // what RichEdit1 shows, line by line

    QFrame* Panel1;
    TPicture* ProgramIcon;
    QTextEdit* RichEdit1;
    QPushButton* OKButton;
};
