#include "platform/fake/fakewebpane.h"

#include "runtime/errors.h"

#include <QWidget>

namespace tarvo::platform {

FakeWebPane::FakeWebPane(QWidget* parent)
    : m_widget(new QWidget(parent)) {
    setParent(m_widget);
}

QString FakeWebPane::documentElementInnerHtml() const {
    ++m_reads;
    if (!m_document)
        runtime::raise(runtime::ErrorCode::ObjectVariableNotSet, QStringLiteral("no document"));
    return *m_document;
}

void FakeWebPane::completeFrame(const QString& url) {
    emit DocumentComplete(url);
}

void FakeWebPane::completePage(const QString& innerHtml, const QString& url) {
    m_document = innerHtml;
    emit DocumentComplete(url);
}

IWebPane* FakeWebPaneFactory::create(QWidget* parent) {
    auto* pane = new FakeWebPane(parent);
    m_panes << pane;
    return pane;
}

} // namespace tarvo::platform
