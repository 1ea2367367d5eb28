#include "controls/button/stylebodies.h"
#include "controls/button/stylecontext.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

namespace tarvo {

bool applicationThemed() {
    // A widget application always has a style; a bare GUI application has none.
    static const bool themed = qobject_cast<QApplication*>(QCoreApplication::instance()) &&
                               QApplication::style() != nullptr;
    return themed;
}

void drawThemed(StyleContext& c) {
    if (!applicationThemed()) {
        // Without a style the button turns into the rounded gradient for good.
        c.props.buttonStyle = StyleRoundedGradient;
        c.props.colorScheme = 0;
        c.props.backColor = schemeBackColor(StyleRoundedGradient, 0, c.props.backColor);
        c.props.foreColor = TranslateColor(forms::syscolour::ButtonText);
        c.B = TranslateColor(c.props.backColor);
        drawRoundedGradient(c);
        return;
    }
    QStyleOptionButton option;
    if (c.widget)
        option.initFrom(c.widget);
    else
        option.palette = QApplication::palette();
    option.rect = c.buttonRect();
    option.state = QStyle::State_None;
    if (!c.enabled()) {
        option.state |= QStyle::State_Raised;
    } else {
        option.state |= QStyle::State_Enabled;
        switch (c.visual()) {
        case StateDown:
            option.state |= QStyle::State_Sunken;
            break;
        case StateHot:
            option.state |= QStyle::State_Raised | QStyle::State_MouseOver;
            break;
        default:
            option.state |= QStyle::State_Raised;
            if (c.focusOrDefault() && c.state.parentActive)
                option.features |= QStyleOptionButton::DefaultButton;
            break;
        }
    }
    QStyle* style = c.widget ? c.widget->style() : QApplication::style();
    {
        QPainter painter(&c.image);
        style->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, c.widget);
    }
    c.region();
    c.drawContent();
}

} // namespace tarvo
