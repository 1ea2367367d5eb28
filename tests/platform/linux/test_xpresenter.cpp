// The X presenter under a real X server (run by tests/e2e/test_xpresenter.sh under Xvfb):
// after scrolls, strips, small changes, covering and uncovering, the pixels the server
// shows for a surface widget equal its retained image exactly; so they do after the
// presenter's connection is lost and Qt paints the widget again.
#include "forms/surface.h"
#include "forms/surfacewidget.h"
#include "platform/presentation.h"

#include <QGuiApplication>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace tarvo;

namespace {

constexpr QRect WidgetGeometry(20, 30, 160, 90);
constexpr QRect ScrollArea(0, 10, 160, 70); // below a header strip that never scrolls

struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

// A colour that differs from its neighbours, so that a pixel out of place shows.
QRgb pattern(int x, int y, int seed) {
    const quint32 h = quint32(x) * 73856093u ^ quint32(y) * 19349663u ^ quint32(seed) * 83492791u;
    return 0xff000000u | (h & 0xffffffu);
}

} // namespace

class TestXPresenter final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void theServerShowsTheRetainedImage();
    void aLostConnectionHandsTheWidgetBackToQt();

private:
    // One frame of drawing: the scroll area moves by dx (the uncovered strip drawn
    // anew), and a small block elsewhere changes; refreshed as the graph does.
    void scrollFrame(int dx, int seed, bool twice = false);
    void settle(int ms = 150);
    xcb_window_t presenterWindow();
    // Pixels of the server's screen under the widget, compared with the image, except
    // those in `hidden` (widget coordinates).
    QString mismatch(const QRect& hidden = {});

    xcb_connection_t* m_x = nullptr;
    xcb_window_t m_root = 0;
    std::unique_ptr<QWidget> m_top;
    forms::SurfaceWidget* m_widget = nullptr;
};

void TestXPresenter::initTestCase() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under Xvfb by test_xpresenter.sh)");
    platform::installSurfacePresenters();
    m_x = xcb_connect(nullptr, nullptr);
    QVERIFY(!xcb_connection_has_error(m_x));
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;

    m_top = std::make_unique<QWidget>();
    m_top->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    m_top->setGeometry(40, 50, 300, 200);
    m_widget = new forms::SurfaceWidget(m_top.get());
    m_widget->setGeometry(WidgetGeometry);
    m_widget->presentNatively();
    QImage& image = m_widget->surface().image();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, pattern(x, y, 0));
    m_widget->surface().markAllDirty();
    m_top->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_top.get()));
    settle(300);
}

void TestXPresenter::cleanupTestCase() {
    m_top.reset();
    if (m_x)
        xcb_disconnect(m_x);
}

void TestXPresenter::settle(int ms) {
    QTest::qWait(ms);
    QCoreApplication::processEvents();
}

void TestXPresenter::scrollFrame(int dx, int seed, bool twice) {
    forms::Surface& surface = m_widget->surface();
    for (int pass = 0; pass < (twice ? 2 : 1); ++pass) {
        // Every other frame the surface moves its own pixels (its image then starts
        // elsewhere in a wider store, and is asked for again); otherwise the pixels
        // move here.
        const QRect strip(ScrollArea.right() + 1 + dx, ScrollArea.top(), -dx, ScrollArea.height());
        if (seed % 2 == 0) {
            surface.scroll(ScrollArea, dx, 0, forms::Surface::Uncovered::Repainted);
        } else {
            QImage& image = surface.image();
            for (int y = ScrollArea.top(); y <= ScrollArea.bottom(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                std::memmove(row, row - dx, sizeof(QRgb) * std::size_t(ScrollArea.width() + dx));
            }
            surface.markScrolled(ScrollArea, dx, 0);
        }
        // As the graph does: the strip goes in raw, after a scroll by origin into an
        // image not placed again.
        const forms::Surface::Pixels to = surface.pixelsOf(strip);
        for (int y = strip.top(); y <= strip.bottom(); ++y)
            for (int x = strip.left(); x <= strip.right(); ++x)
                reinterpret_cast<QRgb*>(to.bits + y * to.bytesPerLine)[x] =
                    pattern(x, y, seed * 2 + pass);
        surface.markDirty(strip);
        // A small change in the header and one inside the scrolled area; none every
        // fourth frame, which goes out from the unplaced image.
        const QRect header((seed * 7) % 150, 2, 6, 5);
        const QRect inside((seed * 11) % 140, 40, 5, 5);
        for (const QRect& r : {header, inside}) {
            if (seed % 4 == 0)
                break;
            QImage& drawn = surface.image(); // after a scroll, the rows around it follow now
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    drawn.setPixel(x, y, pattern(x, y, seed + 1000));
            surface.markDirty(r);
        }
        surface.refresh();
    }
    // The frame ends when control is back in the event loop.
    QCoreApplication::processEvents();
}

xcb_window_t TestXPresenter::presenterWindow() {
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(m_x, xcb_query_tree(m_x, xcb_window_t(m_top->winId())), nullptr));
    if (!tree)
        return 0;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const Reply<xcb_get_geometry_reply_t> g(
            xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, children[i]), nullptr));
        if (g && QRect(g->x, g->y, g->width, g->height) == WidgetGeometry)
            return children[i];
    }
    return 0;
}

QString TestXPresenter::mismatch(const QRect& hidden) {
    const QPoint origin = m_widget->mapToGlobal(QPoint(0, 0));
    const QImage& image = m_widget->surface().image();
    const Reply<xcb_get_image_reply_t> shot(xcb_get_image_reply(
        m_x,
        xcb_get_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, int16_t(origin.x()),
                      int16_t(origin.y()), uint16_t(image.width()), uint16_t(image.height()), ~0u),
        nullptr));
    if (!shot)
        return QStringLiteral("no image from the server");
    const auto* pixels = reinterpret_cast<const quint32*>(xcb_get_image_data(shot.get()));
    int wrong = 0;
    QString first;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const quint32 shown = pixels[y * image.width() + x] & 0xffffffu;
            const quint32 kept = image.pixel(x, y) & 0xffffffu;
            if (shown != kept && !hidden.contains(x, y) && wrong++ == 0)
                first = QStringLiteral("%1,%2 shows %3, image has %4")
                            .arg(x)
                            .arg(y)
                            .arg(shown, 6, 16, QLatin1Char('0'))
                            .arg(kept, 6, 16, QLatin1Char('0'));
        }
    return wrong ? QStringLiteral("%1 pixels differ; first at %2").arg(wrong).arg(first)
                 : QString();
}

void TestXPresenter::theServerShowsTheRetainedImage() {
    // The presenter's own window lies over the widget: the pixels below are its work.
    QVERIFY(presenterWindow() != 0);
    QCOMPARE(mismatch(), QString());

    int seed = 1;
    for (int i = 0; i < 20; ++i)
        scrollFrame(-1 - i % 3, seed++, i % 5 == 4);
    settle();
    QCOMPARE(mismatch(), QString());

    // Another window covers part of the widget, scrolls happen beneath it (no copy from
    // covered pixels), then it goes and the exposure is repaired.
    const xcb_window_t cover = xcb_generate_id(m_x);
    const QRect covered(100, 20, 120, 40);
    const QPoint at = m_widget->mapToGlobal(covered.topLeft());
    const uint32_t values[] = {0x00ff00ffu, 1};
    xcb_create_window(m_x, XCB_COPY_FROM_PARENT, cover, m_root, int16_t(at.x()), int16_t(at.y()),
                      uint16_t(covered.width()), uint16_t(covered.height()), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(m_x, cover);
    xcb_flush(m_x);
    settle();
    for (int i = 0; i < 10; ++i)
        scrollFrame(-2, seed++);
    settle();
    // What is not covered is right meanwhile: nothing was copied from under the cover.
    QCOMPARE(mismatch(covered), QString());
    xcb_unmap_window(m_x, cover);
    xcb_destroy_window(m_x, cover);
    xcb_flush(m_x);
    settle();
    QCOMPARE(mismatch(), QString());

    // Someone else draws over the window, then the server reports it exposed: the whole
    // image goes again.
    const xcb_window_t shown = presenterWindow();
    const xcb_gcontext_t gc = xcb_generate_id(m_x);
    const uint32_t foreground[] = {0x0000ff00u};
    xcb_create_gc(m_x, gc, shown, XCB_GC_FOREGROUND, foreground);
    const xcb_rectangle_t spoilt{5, 5, 150, 80};
    xcb_poly_fill_rectangle(m_x, shown, gc, 1, &spoilt);
    xcb_free_gc(m_x, gc);
    xcb_clear_area(m_x, 1, shown, 0, 0, 0, 0);
    xcb_flush(m_x);
    settle();
    QCOMPARE(mismatch(), QString());

    // Hidden and shown again.
    m_widget->hide();
    scrollFrame(-1, seed++);
    m_widget->show();
    settle();
    for (int i = 0; i < 5; ++i)
        scrollFrame(-1, seed++);
    settle();
    QCOMPARE(mismatch(), QString());
}

void TestXPresenter::aLostConnectionHandsTheWidgetBackToQt() {
    const xcb_window_t window = presenterWindow();
    QVERIFY(window != 0);
    // The server closes the presenter's connection, and its windows go with it.
    xcb_kill_client(m_x, window);
    xcb_flush(m_x);
    settle(300);
    QCOMPARE(presenterWindow(), xcb_window_t(0));
    QCOMPARE(mismatch(), QString());
    for (int i = 0; i < 5; ++i)
        scrollFrame(-1, 500 + i);
    settle();
    QCOMPARE(mismatch(), QString());
}

QTEST_MAIN(TestXPresenter)
#include "test_xpresenter.moc"
