#include "platform/fake/fakeprocess.h"

#include <algorithm>

namespace tarvo::platform {

class FakeProcessOutput final : public IProcessOutput {
public:
    FakeProcessOutput(FakeProcessLauncher& launcher, QByteArrayList pieces)
        : m_launcher(launcher)
        , m_pieces(std::move(pieces))
        , m_text(launcher.m_codePage) {}

    // Scripted output is always there at once.
    void waitForOutput() override {}
    QString read(int maxBytes) override {
        m_launcher.m_largestRead = std::max(m_launcher.m_largestRead, maxBytes);
        if (maxBytes <= 0)
            return {};
        for (;;) {
            while (!m_pieces.isEmpty() && m_pieces.front().isEmpty())
                m_pieces.pop_front();
            if (m_pieces.isEmpty())
                return m_text.finish();
            if (m_launcher.m_onRead)
                m_launcher.m_onRead();
            QByteArray& piece = m_pieces.front();
            const QByteArray part = piece.left(maxBytes);
            piece.remove(0, part.size());
            const QString text = m_text.decode(part);
            if (!text.isEmpty())
                return text;
        }
    }

private:
    FakeProcessLauncher& m_launcher;
    QByteArrayList m_pieces;
    ConsoleText m_text;
};

std::unique_ptr<IProcessOutput> FakeProcessLauncher::start(const QString& commandLine) {
    m_commandLines << commandLine;
    if (m_startFails)
        return nullptr;
    return std::make_unique<FakeProcessOutput>(*this, m_pieces);
}

} // namespace tarvo::platform
