#pragma once

#include "forms/surface.h"

#include <QWidget>

namespace tarvo::forms {

// A widget showing a Surface: paintEvent only copies the retained image.
class SurfaceWidget : public QWidget {
    Q_OBJECT
public:
    explicit SurfaceWidget(QWidget* parent = nullptr);

    Surface& surface() { return m_surface; }
    const Surface& surface() const { return m_surface; }
    // For a surface that changes on every clock tick: its changes go straight to the
    // window system where the platform allows (see presentSurface).
    void presentNatively();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Surface m_surface;
};

} // namespace tarvo::forms
