#pragma once

#include <QString>

class QWidget;

namespace tarvo::button {

// OpenWebsite: hands the address (a web address or a local path) to the desktop to open
// with its usual application. Returns whether the desktop took it.
bool openWebsite(const QString& address);

// About: an information box titled "About" with the control's name and version.
void showAbout(QWidget* parent);

} // namespace tarvo::button
