#include "main/captionplaceholder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QWindow>

namespace tarvo {

CaptionPlaceholder::CaptionPlaceholder(const QString& caption, QWidget* parent)
    : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(14, 96, 150));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::ButtonText, Qt::white);
    setPalette(p);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 0, 2, 0);
    layout->setSpacing(2);
    layout->addWidget(new QLabel(caption, this));
    layout->addStretch();
    auto addButton = [&](const QString& text, void (CaptionPlaceholder::*signal)()) {
        auto* button = new QToolButton(this);
        button->setText(text);
        button->setAutoRaise(true);
        button->setFixedSize(22, 20);
        connect(button, &QToolButton::clicked, this, signal);
        layout->addWidget(button);
    };
    addButton(QStringLiteral("–"), &CaptionPlaceholder::hideRequested);
    addButton(QStringLiteral("×"), &CaptionPlaceholder::closeRequested);
}

void CaptionPlaceholder::mousePressEvent(QMouseEvent* event) {
    // Hand the drag to the window manager, as a system caption would.
    if (event->button() == Qt::LeftButton && window()->windowHandle())
        window()->windowHandle()->startSystemMove();
}

} // namespace tarvo
