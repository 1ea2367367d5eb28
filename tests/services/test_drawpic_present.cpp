// How the traffic graph reaches the screen: a plain call presents a one-step scroll and
// the uncovered strip, a drawing call also the strip where pieces and labels land, and
// the box on screen always equals the box's image.
#include "forms/surface.h"
#include "forms/surfacewidget.h"
#include "services/drawpic.h"

#include <QScreen>
#include <QtTest>

#include <array>
#include <numeric>

using namespace tarvo;
using forms::Surface;

namespace {

struct Log {
    QList<QRegion> regions;
    QList<QRect> scrolls;
    QList<int> steps;
};

void attach(Surface& pic, Log& log) {
    pic.setPresenter([&log](const QRegion& r) { log.regions << r; });
    pic.setScrollPresenter([&log](const QRect& r, int dx, int) {
        log.scrolls << r;
        log.steps << dx;
    });
}

bool covers(const QRegion& region, const QRect& rect) {
    return QRegion(rect).subtracted(region).isEmpty();
}

} // namespace

class TestDrawpicPresent final : public QObject {
    Q_OBJECT
private slots:
    void callsPresentScrolls_data() {
        QTest::addColumn<int>("step");
        QTest::newRow("one pixel") << 1;
        QTest::newRow("three pixels") << 3;
    }
    void callsPresentScrolls() {
        QFETCH(int, step);
        Surface pic(QSize(200, 80));
        TrafficGraph graph;
        const std::array<float, 3> ratios{0.5f, 0.3f, 0.1f};
        const std::array<qint16, 4> values{500, 60, 20, 0};
        Log log;
        attach(pic, log);
        const QRect area(0, 20, 200, 60);

        graph.draw(pic, qint16(step), ratios, values);
        QCOMPARE(log.scrolls.size(), 0); // the first call shows everything
        QVERIFY(covers(log.regions.last(), area));

        for (int call = 2; call <= 10; ++call) {
            log = {};
            graph.draw(pic, qint16(step), ratios, values);
            QCOMPARE(log.scrolls, QList<QRect>{area});
            QCOMPARE(log.steps, QList<int>{-step});
            QCOMPARE(log.regions, QList<QRegion>{QRegion(200 - step, 20, step, 60)});
        }

        log = {};
        graph.draw(pic, qint16(step), ratios, values); // the 11th call draws pieces
        QCOMPARE(log.scrolls, QList<QRect>{area});
        const QRegion all = std::accumulate(log.regions.begin(), log.regions.end(), QRegion());
        // Labels start 30 pixels inside the box's right edge, then move by one step.
        QVERIFY(covers(all, QRect(200 - 30 - step, 20, 30 + step, 60)));
        QVERIFY(!all.intersects(QRect(0, 20, 100, 60)));
        QVERIFY(!all.intersects(QRect(0, 0, 200, 20))); // nothing reached the header
    }

    void someoneElsesDrawingForcesAFullPresent() {
        Surface pic(QSize(200, 80));
        TrafficGraph graph;
        const std::array<float, 3> ratios{0.5f, 0.3f, 0.1f};
        const std::array<qint16, 4> values{500, 60, 20, 0};
        Log log;
        attach(pic, log);
        graph.draw(pic, 1, ratios, values);
        pic.print(QStringLiteral("x"));
        pic.refresh();
        log = {};
        graph.draw(pic, 1, ratios, values);
        QCOMPARE(log.scrolls.size(), 0);
        QVERIFY(covers(log.regions.last(), QRect(0, 20, 200, 60)));
        log = {};
        graph.draw(pic, 1, ratios, values); // scrolling again from here
        QCOMPARE(log.scrolls.size(), 1);
    }

    // Over many calls, with labels and pieces coming in, the screen equals the image.
    void screenFollowsTheImage() {
        QWidget top;
        top.resize(300, 140);
        forms::SurfaceWidget box(&top);
        box.setGeometry(22, 30, 220, 90);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        TrafficGraph graph;
        std::array<qint16, 4> values{500, 60, 20, 0};
        for (int call = 1; call <= 60; ++call) {
            const float wobble = float(call % 7) * 0.1f;
            const std::array<float, 3> ratios{0.2f + wobble, 0.1f + wobble, 0.3f};
            values[1] = qint16(10 + call);
            graph.draw(box.surface(), 1, ratios, values);
        }
        const auto shown = [&] {
            return top.screen()
                ->grabWindow(top.winId())
                .toImage()
                .copy(box.geometry())
                .convertToFormat(QImage::Format_RGB32);
        };
        QTRY_COMPARE(shown(), box.surface().image().convertToFormat(QImage::Format_RGB32));
    }
};

QTEST_MAIN(TestDrawpicPresent)
#include "test_drawpic_present.moc"
