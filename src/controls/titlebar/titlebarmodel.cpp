#include "controls/titlebar/titlebarmodel.h"

#include "runtime/errors.h"

namespace tarvo {

bool isDragPart(TitlePart part) {
    return part == TitlePart::ImageL || part == TitlePart::Image1 || part == TitlePart::ImageM ||
           part == TitlePart::ImageR;
}

bool isButton(TitlePart part) {
    return part == TitlePart::PicMinU || part == TitlePart::PicMaxU || part == TitlePart::PicCloseU;
}

TitlePart hoverSource(TitlePart button) {
    switch (button) {
    case TitlePart::PicMinU:
        return TitlePart::PicMin;
    case TitlePart::PicMaxU:
        return TitlePart::PicMax;
    case TitlePart::PicCloseU:
        return TitlePart::PicClose;
    default:
        runtime::raise(runtime::ErrorCode::InvalidProcedureCall, QStringLiteral("not a button"));
    }
}

bool insideBox(QPointF at, QSize box) {
    return !(at.x() < 0 || at.y() < 0 || at.x() > box.width() || at.y() > box.height());
}

QRegion hostRegion(int w, int h) {
    // Rectangles as left, top, right, bottom with right and bottom outside.
    const auto rect = [](int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); };
    QRegion region(rect(0, 4, w, h));
    region += rect(4, 0, w - 4, 10);
    region += rect(2, 1, w - 2, 10);
    region += rect(1, 2, w - 1, 10);
    return region;
}

TitleBarModel::TitleBarModel() {
    const std::array<QRect, TitlePartCount> places{
        QRect(0, 0, 8, 24),     QRect(6, 2, 187, 21),   QRect(8, 0, 41, 24),
        QRect(48, 0, 9, 24),    QRect(296, 2, 21, 20),  QRect(320, 2, 21, 20),
        QRect(344, 2, 21, 20),  QRect(297, 32, 21, 20), QRect(320, 32, 21, 20),
        QRect(344, 32, 21, 20), QRect(288, 56, 21, 20), QRect(80, 32, 21, 20)};
    m_rects = places;
    m_enabled.fill(true);
}

std::optional<TitlePart> TitleBarModel::overlay(TitlePart button) const {
    return m_overlays[index(button)];
}

void TitleBarModel::setOverlay(TitlePart button, std::optional<TitlePart> source) {
    m_overlays[index(button)] = source;
}

const std::array<TitlePart, TitlePartCount>& TitleBarModel::stacking() {
    using P = TitlePart;
    // The right cap closes the strip over the stretched middle.
    static const std::array<TitlePart, TitlePartCount> order{
        P::ImageM,    P::ImageR, P::Image1, P::ImageL,   P::PicMinU, P::PicMaxU,
        P::PicCloseU, P::PicMin, P::PicMax, P::PicClose, P::PicUn,   P::Picture000};
    return order;
}

std::optional<TitlePart> TitleBarModel::hitTest(QPoint at, QSize control) const {
    if (!QRect(QPoint(0, 0), control).contains(at))
        return std::nullopt;
    const auto& order = stacking();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (rect(*it).contains(at))
            return enabled(*it) ? std::optional(*it) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace tarvo
