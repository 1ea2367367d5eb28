#pragma once

#include "webhelper/markup.h"

#include <gumbo.h>

#include <QString>

namespace tarvo::webhelper {

// The children of a parsed node, and one element's attribute.
const GumboVector& childrenOf(const GumboNode* node);
const GumboNode* findChild(const GumboNode* node, GumboTag tag);
QString attribute(const GumboElement& element, const char* name);

// A node's children as markup, written without recursion (however deep the tree, the
// stack is a vector's). Original: as the browser component's innerHTML gives them, tag
// names in upper case, up to MaxInnerHtml characters. Display: what the pane shows, within
// the display's caps (see Markup::Display).
QString serialiseOriginal(const GumboNode* node);
QString serialiseDisplay(const GumboNode* node, const Markup::Display& display);

} // namespace tarvo::webhelper
