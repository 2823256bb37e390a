#include "ui/Pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {

QString PicturePath(const QString& name)
{
    return QStringLiteral(":/pictures/") + name + QStringLiteral(".svg");
}

} // namespace

QImage RenderPicture(const QString& name, QSize size)
{
    QSvgRenderer renderer(PicturePath(name));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addPixmap(QPixmap::fromImage(RenderPicture(QStringLiteral("meridan"), QSize(size, size))));
    return icon;
}

TPicture::TPicture(const QString& name, QWidget* parent)
    : QWidget(parent)
    , m_renderer(new QSvgRenderer(PicturePath(name), this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_renderer->render(&painter, rect());
}

TPictureButton::TPictureButton(const QString& name, const QString& caption, QWidget* parent)
    : QAbstractButton(parent)
    , m_renderer(new QSvgRenderer(PicturePath(name), this))
{
    setText(caption);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void TPictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_renderer->render(&painter, rect());
    if (isDown())
        painter.fillRect(rect(), QColor(0, 0, 0, 50));
    else if (underMouse())
        painter.fillRect(rect(), QColor(255, 255, 255, 40));
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}
