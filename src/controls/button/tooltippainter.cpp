#include "controls/button/tooltippainter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace tarvo::button {

namespace {

struct Metrics {
    int padX;
    int padY;
};
constexpr Metrics StandardPadding{5, 3};
constexpr Metrics BalloonPadding{10, 8};
constexpr int StemHeight = 12;
constexpr int StemInset = 16; // from the body's near edge to the pointer's tip
constexpr int CornerRadius = 8;
constexpr int IconGap = 4;  // between the icon and the title
constexpr int TitleGap = 5; // between the title line and the text
constexpr int TextFlags = Qt::TextWordWrap | Qt::TextExpandTabs;

QRect mirrored(const QRect& r, int width) {
    if (r.isEmpty())
        return r;
    return QRect(width - r.left() - r.width(), r.top(), r.width(), r.height());
}

QPainterPath bodyPath(const TooltipContent& content, const TooltipLayout& layout) {
    QPainterPath path;
    const QRectF body = QRectF(layout.body).adjusted(0, 0, -1, -1);
    if (content.type != TooltipBalloon) {
        path.addRect(body);
        return path;
    }
    path.addRoundedRect(body, CornerRadius, CornerRadius);
    QPainterPath stem;
    stem.addPolygon(QPolygonF(layout.stem));
    stem.closeSubpath();
    return path.united(stem).simplified();
}

} // namespace

TooltipLook tooltipLook(const TooltipContent& content, const QStyle* style) {
    TooltipLook look;
    look.font = QToolTip::font();
    look.titleFont = look.font;
    look.titleFont.setBold(true);
    if (!style)
        style = QApplication::style();
    look.iconSize = style ? style->pixelMetric(QStyle::PM_SmallIconSize) : 16;
    QStyle::StandardPixmap which{};
    switch (content.icon) {
    case TooltipIconInfo:
        which = QStyle::SP_MessageBoxInformation;
        break;
    case TooltipIconWarning:
        which = QStyle::SP_MessageBoxWarning;
        break;
    case TooltipIconError:
        which = QStyle::SP_MessageBoxCritical;
        break;
    default:
        return look;
    }
    if (style)
        look.icon = style->standardIcon(which);
    return look;
}

TooltipLayout layoutTooltip(const TooltipContent& content, const TooltipLook& look,
                            bool stemAbove) {
    TooltipLayout layout;
    const bool balloon = content.type == TooltipBalloon;
    const Metrics pad = balloon ? BalloonPadding : StandardPadding;

    // The title line: icon and bold title, shown when either is set.
    const bool hasIcon = !look.icon.isNull();
    const bool hasTitleLine = hasIcon || !content.title.isEmpty();
    const QFontMetrics titleMetrics(look.titleFont);
    const int iconWidth = hasIcon ? look.iconSize : 0;
    const int titleWidth =
        content.title.isEmpty() ? 0 : titleMetrics.horizontalAdvance(content.title);
    const int titleLineWidth = iconWidth + (hasIcon && titleWidth > 0 ? IconGap : 0) + titleWidth;
    const int titleLineHeight = hasTitleLine
                                    ? std::max(hasIcon ? look.iconSize : 0,
                                               content.title.isEmpty() ? 0 : titleMetrics.height())
                                    : 0;

    const QFontMetrics textMetrics(look.font);
    const QRect textBounds = textMetrics.boundingRect(QRect(0, 0, TooltipMaxWidth, 1 << 20),
                                                      TextFlags | Qt::AlignLeft, content.text);

    const int contentWidth = std::max(titleLineWidth, textBounds.width());
    const int contentHeight = titleLineHeight + (hasTitleLine ? TitleGap : 0) + textBounds.height();
    const QSize bodySize(contentWidth + 2 * pad.padX, contentHeight + 2 * pad.padY);

    const int stem = balloon ? StemHeight : 0;
    layout.stemAbove = stemAbove;
    layout.size = QSize(std::max(bodySize.width(), StemInset + StemHeight + CornerRadius),
                        bodySize.height() + stem);
    layout.body = QRect(QPoint(0, balloon && stemAbove ? stem : 0),
                        QSize(layout.size.width(), bodySize.height()));

    const int left = layout.body.left() + pad.padX;
    int y = layout.body.top() + pad.padY;
    if (hasTitleLine) {
        if (hasIcon)
            layout.iconRect = QRect(left, y + (titleLineHeight - look.iconSize) / 2, look.iconSize,
                                    look.iconSize);
        if (titleWidth > 0)
            layout.titleRect =
                QRect(left + iconWidth + (hasIcon ? IconGap : 0), y, titleWidth, titleLineHeight);
        y += titleLineHeight + TitleGap;
    }
    // A wider title line leaves the text wrapped at the width it was measured for.
    const int textWidth = std::max(textBounds.width(), std::min(contentWidth, TooltipMaxWidth));
    layout.textRect = QRect(left, y, textWidth, textBounds.height());

    if (balloon) {
        const int tip = layout.body.left() + StemInset;
        if (stemAbove)
            layout.stem = QPolygon(
                {QPoint(tip, 0), QPoint(tip, stem + 1), QPoint(tip + StemHeight, stem + 1)});
        else {
            const int base = layout.body.bottom() - 1;
            layout.stem = QPolygon({QPoint(tip, layout.size.height() - 1), QPoint(tip, base),
                                    QPoint(tip + StemHeight, base)});
        }
    }

    if (content.rightToLeft) {
        const int width = layout.size.width();
        layout.iconRect = mirrored(layout.iconRect, width);
        layout.titleRect = mirrored(layout.titleRect, width);
        layout.textRect = mirrored(layout.textRect, width);
        for (QPoint& p : layout.stem)
            p.setX(width - 1 - p.x());
    }
    return layout;
}

QImage renderTooltip(const TooltipContent& content, const TooltipLook& look,
                     const TooltipLayout& layout, const QPalette& palette) {
    QImage image(layout.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QColor back = content.backColor != 0 ? forms::toQColor(content.backColor)
                                               : palette.color(QPalette::ToolTipBase);
    const QColor ink = palette.color(QPalette::ToolTipText);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(ink);
    painter.setBrush(back);
    painter.drawPath(bodyPath(content, layout));

    if (!look.icon.isNull() && !layout.iconRect.isEmpty())
        look.icon.paint(&painter, layout.iconRect);

    const Qt::Alignment align =
        content.rightToLeft ? (Qt::AlignRight | Qt::AlignAbsolute) : Qt::AlignLeft;
    painter.setLayoutDirection(content.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    painter.setPen(ink);
    if (!layout.titleRect.isEmpty()) {
        painter.setFont(look.titleFont);
        painter.drawText(layout.titleRect, int(align | Qt::AlignVCenter), content.title);
    }
    painter.setFont(look.font);
    painter.drawText(layout.textRect, TextFlags | int(align | Qt::AlignTop), content.text);
    return image;
}

} // namespace tarvo::button
