#include "controls/button/tqbutton.h"

#include "controls/button/accesskey.h"
#include "controls/button/buttonregion.h"
#include "controls/progressbar/cursorshape.h"
#include "runtime/errors.h"
#include "runtime/units.h"

#include <QCursor>
#include <QKeySequence>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QShortcut>

namespace tarvo {

namespace {

// The smallest extent: 220 twips each way.
constexpr int MinimumTwips = 220;

} // namespace

tqbutton::tqbutton(QWidget* parent)
    : QWidget(parent)
    , m_model(*this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    const int minimum = runtime::twipsToPixels(MinimumTwips);
    setMinimumSize(minimum, minimum);
    m_surface.setPresenter([this](const QRegion& region) { update(region); });
    // Usable on its own; a host runs InitProperties or ReadProperties with its font.
    InitProperties(DefaultCaption, forms::ambientFont());
}

tqbutton::~tqbutton() {
    removeHooks();
}

void tqbutton::Refresh() {
    runtime::step([this] {
        // A hidden widget gets its resize event only when shown: draw at its size now.
        if (m_surface.size() != size()) {
            m_surface.resize(size());
            applyRegion();
        }
        if (m_painter.paint(m_model, m_surface, this))
            applyRegion();
    });
}

void tqbutton::applyRegion() {
    QRegion region = tarvo::windowRegion(p().buttonStyle, size());
    if (region == m_region)
        return;
    m_region = std::move(region);
    setMask(m_region);
}

void tqbutton::afterStyleChange() {
    applyRegion();
    Refresh();
}

void tqbutton::applyCursor() {
    if (p().handPointer) {
        setCursor(Qt::PointingHandCursor);
        return;
    }
    if (p().mousePointer == MousePointerCustom) {
        if (!forms::isEmpty(p().mouseIcon) && !p().mouseIcon->image().isNull())
            setCursor(QCursor(QPixmap::fromImage(p().mouseIcon->image())));
        else
            unsetCursor();
        return;
    }
    if (const auto shape = cursorShape(p().mousePointer))
        setCursor(*shape);
    else
        unsetCursor();
}

void tqbutton::updateAccessKey() {
    delete m_accessKey;
    m_accessKey = nullptr;
    const std::optional<QChar> key = accessKey(p().caption);
    if (!key)
        return;
    m_accessKey = new QShortcut(QKeySequence(QStringLiteral("Alt+") + key->toUpper()), this);
    m_accessKey->setContext(Qt::WindowShortcut);
    const int code = key->unicode();
    connect(m_accessKey, &QShortcut::activated, this,
            [this, code] { m_model.accessKeyPress(code); });
}

void tqbutton::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area, m_surface.image(), area);
}

void tqbutton::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_surface.resize(size());
    applyRegion();
    Refresh();
}

void tqbutton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        // The button's own flag, not one inherited from a disabled parent.
        p().enabled = !testAttribute(Qt::WA_ForceDisabled);
        if (!isEnabled())
            m_tooltip.pointerLeft();
        Refresh();
        break;
    default:
        break;
    }
}

void tqbutton::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Only the button's own tooltip is shown while it is visible.
    QWidget::setToolTip(QString());
}

void tqbutton::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_tooltip.pointerLeft();
    QWidget::setToolTip(p().toolTip);
}

void tqbutton::onMouseLeave() {
    m_model.mouseLeave();
}

void tqbutton::onParentActivation(bool active) {
    if (active)
        m_model.parentActivated();
    else
        m_model.parentDeactivated();
}

void tqbutton::onThemeChanged() {
    Refresh();
}

void tqbutton::AmbientChanged(const QString& name, bool displayAsDefault) {
    m_model.ambientChanged(name, displayAsDefault);
}

} // namespace tarvo
