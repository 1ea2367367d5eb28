#pragma once

#include "controls/titlebar/titlebarart.h"
#include "controls/titlebar/titlebarhost.h"
#include "controls/titlebar/titlebarmodel.h"
#include "forms/surface.h"

#include <QPoint>
#include <QRegion>
#include <QWidget>

#include <optional>

namespace tarvo {

// A drawn caption strip for a window without a system caption: drags move the host,
// the buttons hide or unload it, and each resize dresses the host (texture under its
// children, round top corners, a frame). Reaches its host through TitleBarHost.
//
// The parts are drawn onto the control's own retained surface; the pointer is routed
// to them by the model. A button in its hover look hears every move until the pointer
// is seen outside it, as a mouse capture would; no real grab is taken, so none can be
// left behind: leaving the control, hiding and deactivation restore the normal look.
class MicTitleBar final : public QWidget {
    Q_OBJECT
public:
    MicTitleBar(TitleBarHost& host, QWidget* parent = nullptr,
                const TitleBarArt& art = TitleBarArt::standard());

    // Runs whenever the control's extent changes: places the parts, takes the host's
    // width and dresses the host. Each step that fails is skipped.
    void Resize();
    // Runs when the control becomes visible: a button the host does not declare shows
    // the unavailable look and ignores the pointer.
    void Show();

    const TitleBarModel& model() const { return m_model; }
    forms::Surface& surface() { return m_surface; }
    const forms::Surface& surface() const { return m_surface; }
    std::optional<TitlePart> hovered() const { return m_hovered; }
    bool isMovingWindow() const { return m_selfMove.has_value(); }
    const QRegion& lastHostRegion() const { return m_hostRegion; }
    static QString toolTipOf(TitlePart part); // empty for a part without one

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void redraw();
    void setExtent(QSize size); // resizes without running Resize again
    void dressHost();
    void beginDrag(QPointF globalPos);
    void hover(TitlePart button, QPointF at);
    void endHover(); // normal look again, nothing captured
    void click(TitlePart part);
    void clickMax();

    TitleBarHost& m_host;
    const TitleBarArt& m_art;
    TitleBarModel m_model;
    forms::Surface m_surface;
    QRegion m_hostRegion;
    int m_resizeDepth = 0; // Resize is running (nested runs count)
    QSize m_lastExtent;    // the extent the last Resize ran for

    std::optional<TitlePart> m_hovered; // the button that hears every move
    std::optional<TitlePart> m_pressed; // where the left button went down
    struct SelfMove {
        QPoint pointerStart;
        QPoint windowStart;
    };
    std::optional<SelfMove> m_selfMove; // moving the window ourselves (no window manager)
};

} // namespace tarvo
