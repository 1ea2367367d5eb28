#pragma once

#include "controls/titlebar/titlebarhost.h"

#include <functional>

namespace tarvo {

// A top-level window as the title bar's host: its background surface, hiding the way
// the window's other hide paths do, and unloading through close (which runs the
// window's unload handling). The buttons it declares are fixed when it is made.
class FormTitleBarHost final : public TitleBarHost {
public:
    FormTitleBarHost(QWidget& window, forms::Surface& surface, std::function<void()> hide,
                     bool minButton, bool maxButton);

    QWidget* hwnd() override { return &m_window; }
    QSize outerSizeTwips() const override;
    forms::Surface* surface() override { return &m_surface; }
    void Hide() override;
    void Unload() override;
    bool MinButton() const override { return m_minButton; }
    bool MaxButton() const override { return m_maxButton; }

private:
    QWidget& m_window;
    forms::Surface& m_surface;
    std::function<void()> m_hide;
    bool m_minButton;
    bool m_maxButton;
};

} // namespace tarvo
