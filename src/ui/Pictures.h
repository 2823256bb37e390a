#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QImage>
#include <QWidget>

class QSvgRenderer;

// The program's own pictures, drawn as SVG and kept in the resources under ":/pictures/".
QImage RenderPicture(const QString& name, QSize size);
QIcon ApplicationIcon();

// A picture stretched over the whole widget (the backgrounds and the About icon).
class TPicture : public QWidget {
    Q_OBJECT
public:
    TPicture(const QString& name, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer* m_renderer;
};

// A flat button drawn from a picture, with its caption over it and a hand cursor.
class TPictureButton : public QAbstractButton {
    Q_OBJECT
public:
    TPictureButton(const QString& name, const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer* m_renderer;
};
