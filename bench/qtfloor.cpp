// The floor's pixel work (floor.c) done by a Qt widget program: the same requests on a
// 728 x 472 window 64 times a second, but woken through Qt's event loop by a timer re-armed
// each tick, as Tarvo's tick source does. Set beside the floor, it shows what a Qt program
// pays before it does any work of its own.
//   g++ -O2 -std=c++20 -fPIC qtfloor.cpp -o qtfloor $(pkg-config --cflags --libs Qt6Widgets xcb)
//   DISPLAY=:N ./qtfloor SECONDS
#include <QApplication>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QTimerEvent>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr qint64 TickNs = 15'625'000;

class Window final : public QWidget {
public:
    explicit Window(qint64 frames)
        : m_frames(frames) {
        setAttribute(Qt::WA_NativeWindow);
        m_clock.start();
        arm();
    }

protected:
    void timerEvent(QTimerEvent*) override {
        m_timer.stop();
        if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>())
            frame(x11->connection());
        if (++m_frame == m_frames)
            qApp->quit();
        arm();
    }

private:
    void arm() {
        // The next tick from now: ticks missed while stopped are not made up, as in Tarvo.
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 wait = (now / TickNs + 1) * TickNs - now;
        m_timer.start(int((wait + 999'999) / 1'000'000), Qt::PreciseTimer, this);
    }

    void frame(xcb_connection_t* c) {
        const auto w = xcb_window_t(winId());
        if (!m_gc) {
            // No NoExpose event after each copy: floor.c never reads them, a Qt program
            // would wake for every one.
            const uint32_t exposures = 0;
            m_gc = xcb_generate_id(c);
            xcb_create_gc(c, m_gc, w, XCB_GC_GRAPHICS_EXPOSURES, &exposures);
        }
        const int n = int(m_frame);
        for (int i = 0; i < 193; i++)
            m_column[i] = i == n % 193 ? 0x00ff00 : 0xffffff;
        xcb_copy_area(c, w, w, m_gc, 23, 153, 22, 153, 472, 193);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, m_gc, 1, 193, 494, 153, 0, 24,
                      sizeof m_column, reinterpret_cast<const uint8_t*>(m_column));
        for (int b = 0; b < 3; b++) {
            std::fill(std::begin(m_bar), std::end(m_bar), 0x3366ccu);
            xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, m_gc, 1, 17, 524 + n % 175, 158 + 52 * b,
                          0, 24, sizeof m_bar, reinterpret_cast<const uint8_t*>(m_bar));
        }
        xcb_flush(c);
    }

    QBasicTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_frame = 0;
    qint64 m_frames;
    xcb_gcontext_t m_gc = 0;
    uint32_t m_column[193] = {};
    uint32_t m_bar[17] = {};
};

} // namespace

int main(int argc, char** argv) {
    // As Tarvo: Qt's own dispatcher, not GLib's.
    qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    Window window(qint64(argc > 1 ? std::atoi(argv[1]) : 30) * 64);
    window.setFixedSize(728, 472);
    window.show();
    return app.exec();
}
