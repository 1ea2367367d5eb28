#pragma once

#include <QAccessibleWidget>
#include <QHash>

namespace tarvo::platform::webpane {

class PaneView;

// The pane as assistive technology sees it: a document named by its page's text, whose
// children are the page's link areas, each a link of its own (named by its text, with a
// press action that opens it as a click does), so that a screen reader lists and follows
// them. The pane's view makes it (installAccessibility).
class PaneAccessible final : public QAccessibleWidget {
public:
    explicit PaneAccessible(PaneView* view);
    ~PaneAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    PaneView* view() const;

    // The links' interfaces made so far, by index; those of an earlier page are made anew.
    mutable QHash<int, QAccessible::Id> m_links;
};

// Makes PaneAccessible the interface of every PaneView; once is enough.
void installAccessibility();

} // namespace tarvo::platform::webpane
