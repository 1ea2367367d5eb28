#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QWidget;

namespace tarvo::platform {

// An embedded web pane: fetches a page over plain HTTP and shows it. It never runs a
// script and, whatever Silent says, never shows a message box: a failed navigation
// loads a small error page of the pane's own, which completes like any document.
class IWebPane : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~IWebPane() override = default;

    // The widget that shows the page, placed by the host.
    virtual QWidget* widget() = 0;

    virtual bool Silent() const = 0;
    virtual void setSilent(bool silent) = 0;
    // Starts loading url; an earlier navigation still under way is abandoned.
    virtual void Navigate(const QString& url) = 0;
    // The markup of the top-level document as its documentElement's innerHTML gives it
    // (tag names in upper case, e.g. "<HEAD><TITLE>kiv</TITLE></HEAD><BODY>...").
    // Raises ObjectVariableNotSet (91) while the pane has no document yet.
    virtual QString documentElementInnerHtml() const = 0;

signals:
    // A document finished loading: once for every frame document of a page, then once
    // for the page itself (or once for the error page of a failed navigation).
    void DocumentComplete(const QString& url);
};

// Makes the panes of this build's backend.
class IWebPaneFactory {
public:
    virtual ~IWebPaneFactory() = default;
    // The pane's widget is a child of parent, and the pane lives as long as its widget.
    virtual IWebPane* create(QWidget* parent) = 0;
};

std::unique_ptr<IWebPaneFactory> createWebPaneFactory();

} // namespace tarvo::platform
