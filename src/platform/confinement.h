#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

class QProcess;

namespace tarvo::platform {

// Hard limits for a helper process, enforced by the system: past one of them the helper
// is ended, whatever it is doing.
struct HelperLimits {
    int cpuSeconds;
    qint64 memoryBytes; // 0: none
};

// Starts program in process under limits. The helper also ends with process (and with
// this program), so none outlives the navigation that started it.
void startConfined(QProcess& process, const QString& program, const QStringList& arguments,
                   const HelperLimits& limits);

} // namespace tarvo::platform
