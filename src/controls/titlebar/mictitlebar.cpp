#include "controls/titlebar/mictitlebar.h"

#include "controls/titlebar/titlebarpainter.h"
#include "runtime/errors.h"
#include "runtime/numbers.h"
#include "runtime/units.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace tarvo {

using runtime::ErrorCode;
using runtime::step;

MicTitleBar::MicTitleBar(TitleBarHost& host, QWidget* parent, const TitleBarArt& art)
    : QWidget(parent)
    , m_host(host)
    , m_art(art) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Hover looks follow the pointer with no button pressed.
    setMouseTracking(true);
    m_surface.setPresenter([this](const QRegion& region) { update(region); });
    m_surface.resize(size());
    redraw();
}

void MicTitleBar::redraw() {
    paintTitleBar(m_model, m_art, m_surface);
}

void MicTitleBar::setExtent(QSize size) {
    ++m_resizeDepth;
    resize(size);
    --m_resizeDepth;
    // A hidden widget hears of its new size only when shown; the surface follows now.
    m_surface.resize(this->size());
}

void MicTitleBar::Resize() {
    ++m_resizeDepth;
    step([&] {
        const int middle = width() - titlebar::MiddleInset;
        if (middle < 0)
            runtime::raise(ErrorCode::InvalidPropertyValue, QStringLiteral("Width"));
        m_model.rect(TitlePart::ImageM).setWidth(middle);
    });
    step([&] { m_model.rect(TitlePart::ImageR).moveLeft(width() - titlebar::RightCapInset); });
    step([&] { setExtent(QSize(width(), runtime::twipsToPixels(titlebar::HeightTwips))); });
    step([&] {
        const int hostWidth = runtime::twipsToPixels(m_host.outerSizeTwips().width());
        if (hostWidth == width())
            return;
        setExtent(QSize(hostWidth, height()));
        Resize(); // the new width is laid out before the rest of this run
    });
    step([&] {
        const int w = width();
        m_model.rect(TitlePart::PicCloseU).moveLeft(w - titlebar::CloseInset);
        m_model.rect(TitlePart::PicMaxU).moveLeft(w - titlebar::MaxInset);
        m_model.rect(TitlePart::PicMinU).moveLeft(w - titlebar::MinInset);
    });
    dressHost();
    m_lastExtent = size();
    redraw();
    --m_resizeDepth;
}

void MicTitleBar::dressHost() {
    const auto hostSurface = [this]() -> forms::Surface& {
        forms::Surface* surface = m_host.surface();
        if (!surface)
            runtime::raise(ErrorCode::InvalidProcedureCall, QStringLiteral("no drawing surface"));
        return *surface;
    };
    step([&] { tileImage(hostSurface(), m_art[TitlePart::Picture000]); });
    int w = 0;
    int h = 0;
    step([&] {
        const QSize outer = m_host.outerSizeTwips();
        w = runtime::toInt32(outer.width() / double(runtime::TwipsPerPixel));
        h = runtime::toInt32(outer.height() / double(runtime::TwipsPerPixel));
    });
    step([&] { m_hostRegion = hostRegion(w, h); });
    step([&] {
        QWidget* window = m_host.hwnd();
        if (!window)
            runtime::raise(ErrorCode::InvalidProcedureCall, QStringLiteral("no host window"));
        window->setMask(m_hostRegion);
    });
    step([&] { drawHostFrame(hostSurface()); });
}

void MicTitleBar::Show() {
    const auto unavailable = [this](TitlePart button) {
        m_model.setOverlay(button, TitlePart::PicUn);
        if (m_hovered == button)
            m_hovered.reset();
        m_model.setEnabled(button, false);
    };
    step([&] {
        if (!m_host.MinButton())
            unavailable(TitlePart::PicMinU);
    });
    step([&] {
        if (!m_host.MaxButton())
            unavailable(TitlePart::PicMaxU);
    });
    redraw();
}

void MicTitleBar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect r = event->rect();
    painter.drawImage(r.topLeft(), m_surface.image(), r);
}

void MicTitleBar::resizeEvent(QResizeEvent* event) {
    m_surface.resize(event->size());
    QWidget::resizeEvent(event);
    if (m_resizeDepth == 0 && event->size() != m_lastExtent)
        Resize();
}

void MicTitleBar::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        Show();
}

void MicTitleBar::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_selfMove.reset();
    m_pressed.reset();
    endHover();
}

} // namespace tarvo
