#pragma once

#include "platform/webpane.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace tarvo::platform {

// A pane whose documents a test hands in: records Silent and every navigation, and
// completes documents when told.
class FakeWebPane final : public IWebPane {
    Q_OBJECT
public:
    explicit FakeWebPane(QWidget* parent);

    QWidget* widget() override { return m_widget; }
    bool Silent() const override { return m_silent; }
    void setSilent(bool silent) override { m_silent = silent; }
    void Navigate(const QString& url) override {
        m_navigations << url;
        m_silentAtNavigation << m_silent;
    }
    QString documentElementInnerHtml() const override;

    // The top-level document's innerHTML; nothing means no document (reading it fails).
    void setDocument(std::optional<QString> innerHtml) { m_document = std::move(innerHtml); }
    // A frame document finished: the top-level document stays as it is.
    void completeFrame(const QString& url = QStringLiteral("http://frame.test/"));
    // The page finished with this top-level document.
    void completePage(const QString& innerHtml,
                      const QString& url = QStringLiteral("http://page.test/"));

    const QStringList& navigations() const { return m_navigations; }
    // Silent as it was when each navigation started.
    const QList<bool>& silentAtNavigation() const { return m_silentAtNavigation; }
    int documentReads() const { return m_reads; }

private:
    QWidget* m_widget;
    bool m_silent = false;
    QList<bool> m_silentAtNavigation;
    QStringList m_navigations;
    std::optional<QString> m_document;
    mutable int m_reads = 0;
};

// Makes fake panes and keeps them in order of creation.
class FakeWebPaneFactory final : public IWebPaneFactory {
public:
    IWebPane* create(QWidget* parent) override;
    const QList<FakeWebPane*>& panes() const { return m_panes; }
    FakeWebPane* pane(int index) const { return m_panes.value(index); }

private:
    QList<FakeWebPane*> m_panes;
};

} // namespace tarvo::platform
