#pragma once

#include "forms/picture.h"

#include <QWidget>

namespace tarvo::forms {

// An image control: shows its picture at the top left, unscaled; icons at the
// control's size. It holds the picture by shared reference.
class ImageControl final : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(QWidget* parent = nullptr);

    const Picture& picture() const { return m_picture; }
    void setPicture(Picture picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Picture m_picture;
};

} // namespace tarvo::forms
