#include "ui/AboutBox.h"

#include "ui/Pictures.h"

#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

#ifndef MERIDAN_VERSION
#define MERIDAN_VERSION "0"
#endif

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Panel1(new QFrame(this))
    , ProgramIcon(new TPicture(QStringLiteral("about"), Panel1))
    , RichEdit1(new QTextEdit(Panel1))
    , OKButton(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Про програму"));
    setFixedSize(475, 222);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    Panel1->setGeometry(8, 8, 457, 169);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(16, 24, 145, 105);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(168, 8, 273, 153);
    RichEdit1->setReadOnly(true);
    RichEdit1->setFrameStyle(QFrame::NoFrame);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(16);
    font.setBold(true);
    RichEdit1->setFont(font);
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    palette.setColor(QPalette::Text, Qt::black);
    RichEdit1->setPalette(palette);
    RichEdit1->setPlainText(AboutLines().join(u'\n'));
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(191, 188, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept); // Esc rejects: the cancel button too
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QStringList TAboutBox::AboutLines()
{
    return { QStringLiteral("Мерідан"), QStringLiteral("Версія ") + QStringLiteral(MERIDAN_VERSION),
        QStringLiteral("Контрольні карти Шухарта"), QStringLiteral("для внутрішньолабораторного"),
        QStringLiteral("контролю якості вимірювань:"), QStringLiteral("Вестгард і ДСТУ ISO 8258."),
        QStringLiteral("Розробники програми «Мерідан»") };
}
