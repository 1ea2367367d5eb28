#include "controls/button/buttonshell.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace tarvo::button {

bool openWebsite(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address.trimmed());
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

void showAbout(QWidget* parent) {
    QMessageBox::information(parent, QStringLiteral("About"), QStringLiteral("TQButton v 1.02"));
}

} // namespace tarvo::button
