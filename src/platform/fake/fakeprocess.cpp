#include "platform/fake/fakeprocess.h"

#include <algorithm>

namespace tarvo::platform {

class FakeProcessOutput final : public IProcessOutput {
public:
    FakeProcessOutput(FakeProcessLauncher& launcher, QByteArrayList pieces)
        : m_launcher(launcher)
        , m_pieces(std::move(pieces)) {}

    // Scripted output is always there at once.
    void waitForOutput() override {}
    QByteArray read(int maxBytes) override {
        m_launcher.m_largestRead = std::max(m_launcher.m_largestRead, maxBytes);
        while (!m_pieces.isEmpty() && m_pieces.front().isEmpty())
            m_pieces.pop_front();
        if (m_pieces.isEmpty() || maxBytes <= 0)
            return {};
        if (m_launcher.m_onRead)
            m_launcher.m_onRead();
        QByteArray& piece = m_pieces.front();
        const QByteArray part = piece.left(maxBytes);
        piece.remove(0, part.size());
        return part;
    }

private:
    FakeProcessLauncher& m_launcher;
    QByteArrayList m_pieces;
};

std::unique_ptr<IProcessOutput> FakeProcessLauncher::start(const QString& commandLine) {
    m_commandLines << commandLine;
    if (m_startFails)
        return nullptr;
    return std::make_unique<FakeProcessOutput>(*this, m_pieces);
}

} // namespace tarvo::platform
