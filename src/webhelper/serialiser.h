#pragma once

#include "webhelper/markup.h"

#include <gumbo.h>

#include <QString>

namespace tarvo::webhelper {

// The children of a parsed node, and one element's attribute.
const GumboVector& childrenOf(const GumboNode* node);
const GumboNode* findChild(const GumboNode* node, GumboTag tag);
QString attribute(const GumboElement& element, const char* name);

// Writes a node's children as markup, without recursion (however deep the tree, the stack
// is a vector's), stopping at MaxInnerHtml characters or at the display's caps. Original:
// as the browser component's innerHTML gives them, tag names in upper case. Display: what
// the pane shows (see Markup::Display).
enum class SerialiseMode { Original, Display };
QString serialiseChildren(const GumboNode* node, SerialiseMode mode,
                          const Markup::Display* display = nullptr);

} // namespace tarvo::webhelper
