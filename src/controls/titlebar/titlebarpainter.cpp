#include "controls/titlebar/titlebarpainter.h"

#include "forms/gdi.h"
#include "runtime/errors.h"

#include <algorithm>

namespace tarvo {

namespace {

QRect cutTo(const forms::Picture& picture, QSize place) {
    const QSize size = picture->image().size();
    return QRect(0, 0, std::min(size.width(), place.width()),
                 std::min(size.height(), place.height()));
}

void drawStretched(forms::Surface& surface, const forms::Picture& picture, const QRect& place) {
    if (forms::isEmpty(picture) || place.isEmpty())
        return;
    const QImage scaled =
        picture->image().scaled(place.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    forms::gdi::bitBlt(surface.image(), place.topLeft(), scaled,
                       {0, 0, scaled.width(), scaled.height()});
    surface.markDirty(place);
}

} // namespace

void paintTitleBar(const TitleBarModel& model, const TitleBarArt& art, forms::Surface& surface) {
    for (TitlePart part : TitleBarModel::stacking()) {
        runtime::step([&] {
            const QRect& place = model.rect(part);
            const forms::Picture& picture = art[part];
            if (part == TitlePart::ImageM) {
                drawStretched(surface, picture, place);
                return;
            }
            if (!forms::isEmpty(picture))
                surface.paintPicture(picture, place.topLeft(), cutTo(picture, place.size()));
            if (!isButton(part))
                return;
            if (const auto source = model.overlay(part)) {
                const forms::Picture& look = art[*source];
                if (!forms::isEmpty(look)) {
                    const QSize copy = titlebar::ButtonSize.boundedTo(place.size());
                    surface.paintPicture(look, place.topLeft(), cutTo(look, copy));
                }
            }
        });
    }
    surface.refresh();
}

void tileImage(forms::Surface& destination, const forms::Picture& tile) {
    const QSize size = forms::isEmpty(tile) ? QSize() : tile->image().size();
    if (size.isEmpty())
        runtime::raise(runtime::ErrorCode::InvalidProcedureCall, QStringLiteral("empty tile"));
    // Step sizes and end values are read once, before the loops.
    const int stepX = size.width();
    const int stepY = size.height();
    const int endX = destination.scaleWidth();
    const int endY = destination.scaleHeight();
    const QRect whole(QPoint(0, 0), size);
    for (int x = 0; x <= endX; x += stepX)
        for (int y = 0; y <= endY; y += stepY)
            destination.paintPicture(tile, QPoint(x, y), whole);
    destination.refresh();
}

void drawHostFrame(forms::Surface& host) {
    const int right = host.scaleWidth() - 1;
    const int bottom = host.scaleHeight() - 1;
    const int top = titlebar::FrameTop;
    host.line(QPoint(0, top), QPoint(0, bottom), titlebar::FrameColour);
    host.line(QPoint(0, bottom), QPoint(right, bottom), titlebar::FrameColour);
    host.line(QPoint(right, top), QPoint(right, host.scaleHeight()), titlebar::FrameColour);
    host.refresh();
}

} // namespace tarvo
