#include "controls/progressbar/progressbarpainter.h"

#include "runtime/errors.h"
#include "runtime/numbers.h"

#include <QFontMetrics>

namespace tarvo {

const QFontMetricsF& ProgressBarPainter::metrics(const forms::Surface& surface) {
    // Fonts are immutable shared objects, so the object's identity is a safe cache key.
    if (!m_metrics || m_metricsFont != surface.font()) {
        // Measured on the surface's image, as the surface measures text itself.
        m_metricsFont = surface.font();
        m_metrics.emplace(surface.qfont(), &surface.image());
        m_lineHeight = QFontMetrics(surface.qfont(), &surface.image()).height();
    }
    return *m_metrics;
}

void ProgressBarPainter::paint(const ProgressBarModel& model, forms::Surface& surface) {
    surface.cls();

    const QSize scale = surface.size();
    m_fill.reset();
    if (!forms::isEmpty(model.fore))
        m_fill = fillArea(model, scale);
    if (m_fill &&
        !runtime::step([&] { surface.paintPicture(model.fore, m_fill->topLeft(), *m_fill); }))
        m_fill.reset();

    if (!runtime::step([&] { captionText(model, m_caption); }))
        m_caption.resize(0);
    m_captionAt = {};
    // Nothing can show on a surface without pixels (a bar that never had a background).
    if (!m_caption.isEmpty() && !scale.isEmpty()) {
        runtime::step([&] {
            const QFontMetricsF& fm = metrics(surface);
            // Round the free space (halves to even), then halve it truncating toward zero.
            const qint32 freeX = runtime::toInt32(scale.width() - fm.horizontalAdvance(m_caption));
            const qint32 freeY = runtime::toInt32(scale.height() - m_lineHeight);
            m_captionAt = QPoint(freeX / 2, freeY / 2);
            surface.setCurrentX(m_captionAt.x());
            surface.setCurrentY(m_captionAt.y());
            surface.print(m_caption);
        });
    }

    surface.refresh();
}

} // namespace tarvo
