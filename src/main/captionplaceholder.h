#pragma once

#include <QWidget>

class QLabel;

namespace tarvo {

// Stands in for the drawn title bar until it is built: shows the caption, moves the
// window when dragged, and offers hide and close.
class CaptionPlaceholder final : public QWidget {
    Q_OBJECT
public:
    explicit CaptionPlaceholder(const QString& caption, QWidget* parent = nullptr);

signals:
    void hideRequested();
    void closeRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace tarvo
