#pragma once

#include <QFont>

namespace tarvo::webhelper {

// Loads what drawing a page takes from the helper's own files, before the page is read
// (inside the sandbox no path can be looked up, only opened): the font database, the
// pane's font with the fonts it falls back on for each widely written script, and every
// picture format's plugin.
void preload(const QFont& font);

} // namespace tarvo::webhelper
