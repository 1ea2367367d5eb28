#include "platform/webpane/paneaccessible.h"

#include "platform/webpane/accessibletext.h"
#include "platform/webpane/paneview.h"

#include <QPointer>
#include <QWindow>

namespace tarvo::platform::webpane {
namespace {

// One link area of the page the pane showed when it was made; invalid once the pane
// shows another page.
class LinkAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    LinkAccessible(PaneView* view, int index)
        : m_view(view)
        , m_page(view->pageNumber())
        , m_index(index) {}

    bool isValid() const override {
        return m_view && m_view->pageNumber() == m_page && m_index < m_view->links().size();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_view.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::Link; }

    QString text(QAccessible::Text kind) const override {
        if (!isValid())
            return {};
        const tarvo::webprotocol::Link& link = m_view->links()[m_index];
        const QString address = link.url.toString();
        if (kind == QAccessible::Value)
            return address;
        if (kind != QAccessible::Name)
            return {};
        const QString name = accessibleText(link.text).trimmed();
        return name.isEmpty() ? address : name;
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect area = m_view->linkInViewport(m_index);
        return {m_view->viewport()->mapToGlobal(area.topLeft()), area.size()};
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.focusable = true;
        state.linked = true;
        state.focused = m_view->hasFocus() && m_view->focusedLink() == m_index;
        state.offscreen = !m_view->viewport()->rect().intersects(m_view->linkInViewport(m_index));
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    void doAction(const QString& action) override {
        if (!isValid())
            return;
        if (action == pressAction())
            m_view->openLink(m_index);
        else if (action == setFocusAction())
            m_view->focusLink(m_index);
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        return action == pressAction() ? QStringList{QStringLiteral("Return")} : QStringList{};
    }

    int index() const { return m_index; }
    const PaneView* view() const { return m_view; }

private:
    QPointer<PaneView> m_view;
    int m_page;
    int m_index;
};

QAccessibleInterface* makeInterface(const QString&, QObject* object) {
    if (auto* view = qobject_cast<PaneView*>(object))
        return new PaneAccessible(view);
    return nullptr;
}

} // namespace

PaneAccessible::PaneAccessible(PaneView* view)
    : QAccessibleWidget(view, QAccessible::Document) {}

PaneAccessible::~PaneAccessible() {
    for (QAccessible::Id id : std::as_const(m_links))
        QAccessible::deleteAccessibleInterface(id);
}

PaneView* PaneAccessible::view() const {
    return static_cast<PaneView*>(widget());
}

int PaneAccessible::childCount() const {
    return int(view()->links().size());
}

QAccessibleInterface* PaneAccessible::child(int index) const {
    if (index < 0 || index >= childCount())
        return nullptr;
    if (const auto it = m_links.constFind(index); it != m_links.cend()) {
        if (QAccessibleInterface* made = QAccessible::accessibleInterface(*it);
            made && made->isValid())
            return made;
        QAccessible::deleteAccessibleInterface(*it);
    }
    auto* link = new LinkAccessible(view(), index);
    m_links.insert(index, QAccessible::registerAccessibleInterface(link));
    return link;
}

int PaneAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* link = dynamic_cast<const LinkAccessible*>(child);
    return link && link->isValid() && link->view() == view() ? link->index() : -1;
}

QAccessibleInterface* PaneAccessible::childAt(int x, int y) const {
    return child(view()->linkAt(view()->viewport()->mapFromGlobal(QPoint(x, y))));
}

QAccessibleInterface* PaneAccessible::focusChild() const {
    if (view()->hasFocus() && view()->focusedLink() >= 0)
        return child(view()->focusedLink());
    return QAccessibleWidget::focusChild();
}

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(makeInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace tarvo::platform::webpane
