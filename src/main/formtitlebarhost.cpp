#include "main/formtitlebarhost.h"

#include "runtime/units.h"

#include <QWidget>

namespace tarvo {

FormTitleBarHost::FormTitleBarHost(QWidget& window, forms::Surface& surface,
                                   std::function<void()> hide, bool minButton, bool maxButton)
    : m_window(window)
    , m_surface(surface)
    , m_hide(std::move(hide))
    , m_minButton(minButton)
    , m_maxButton(maxButton) {}

QSize FormTitleBarHost::outerSizeTwips() const {
    const QSize outer = m_window.frameGeometry().size();
    return {runtime::pixelsToTwips(outer.width()), runtime::pixelsToTwips(outer.height())};
}

void FormTitleBarHost::Hide() {
    m_hide();
}

void FormTitleBarHost::Unload() {
    m_window.close();
}

} // namespace tarvo
