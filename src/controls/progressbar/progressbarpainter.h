#pragma once

#include "controls/progressbar/progressbarmodel.h"
#include "forms/font.h"
#include "forms/surface.h"

#include <QFontMetricsF>
#include <QPoint>
#include <QString>

#include <optional>

namespace tarvo {

// Draws a progress bar onto its surface: clear to the background picture, copy the
// filled part of the foreground picture, print the centred caption, present. Each step
// that fails is skipped; painting never fails. The painter keeps the caption buffer and
// the metrics of the surface font between redraws so a redraw allocates nothing.
class ProgressBarPainter final {
public:
    void paint(const ProgressBarModel& model, forms::Surface& surface);

    // What the last paint drew, for hosts and tests that want to know.
    const QString& caption() const { return m_caption; }
    QPoint captionPosition() const { return m_captionAt; }
    const std::optional<QRect>& fill() const { return m_fill; }

private:
    // Measures of the surface font, made again only when the font changes.
    const QFontMetricsF& metrics(const forms::Surface& surface);

    forms::Font m_metricsFont; // the font m_metrics was made for (kept alive as the key)
    std::optional<QFontMetricsF> m_metrics;
    int m_lineHeight = 0;
    QString m_caption;
    QPoint m_captionAt;
    std::optional<QRect> m_fill;
};

} // namespace tarvo
