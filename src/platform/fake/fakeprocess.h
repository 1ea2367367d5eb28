#pragma once

#include "platform/consoletext.h"
#include "platform/process.h"

#include <QByteArrayList>
#include <QStringList>

#include <functional>

namespace tarvo::platform {

// Plays back scripted output: each read hands out the next scripted piece (split when it
// is larger than the read asks for), then the end of the output.
class FakeProcessLauncher final : public IProcessLauncher {
public:
    std::unique_ptr<IProcessOutput> start(const QString& commandLine) override;

    // The output every later start plays back; startFails makes start return null.
    void setOutput(QByteArrayList pieces) { m_pieces = std::move(pieces); }
    void setStartFails(bool fails) { m_startFails = fails; }
    // The code page the scripted bytes are in (UTF-8 unless set), decoded as the
    // backends decode a console's output.
    void setCodePage(unsigned codePage) { m_codePage = codePage; }
    // Called before each read returns a piece (to act "while the command runs").
    void setOnRead(std::function<void()> onRead) { m_onRead = std::move(onRead); }

    const QStringList& commandLines() const { return m_commandLines; }
    // The largest read size any output was asked for.
    int largestRead() const { return m_largestRead; }

private:
    friend class FakeProcessOutput;
    QByteArrayList m_pieces;
    bool m_startFails = false;
    unsigned m_codePage = CodePageUtf8;
    std::function<void()> m_onRead;
    QStringList m_commandLines;
    int m_largestRead = 0;
};

} // namespace tarvo::platform
