#pragma once

#include <QFont>

namespace tarvo::webhelper {

// Loads what drawing a page takes from the helper's own files, before the page is read:
// the font database, the pane's font with the fonts it falls back on for Chinese and
// Latin text, and every picture format's plugin.
void preload(const QFont& font);

} // namespace tarvo::webhelper
