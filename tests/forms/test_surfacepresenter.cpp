#include "forms/surfacepresenter.h"
#include "forms/surfacewidget.h"

#include <QPaintEvent>
#include <QTest>

#include <memory>

using namespace tarvo::forms;

namespace {

// Records what a surface asks to present; accepts or declines as told.
struct Log {
    QStringList calls;
    bool accept = true;
};

class RecordingPresenter final : public SurfacePresenter {
public:
    explicit RecordingPresenter(Log& log)
        : m_log(log) {}
    bool scroll(const QRect& r, int dx, int dy) override {
        m_log.calls << QStringLiteral("scroll %1,%2 %3x%4 by %5,%6")
                           .arg(r.x())
                           .arg(r.y())
                           .arg(r.width())
                           .arg(r.height())
                           .arg(dx)
                           .arg(dy);
        return m_log.accept;
    }
    bool update(const QRegion& region) override {
        const QRect r = region.boundingRect();
        m_log.calls << QStringLiteral("update %1,%2 %3x%4")
                           .arg(r.x())
                           .arg(r.y())
                           .arg(r.width())
                           .arg(r.height());
        return m_log.accept;
    }

private:
    Log& m_log;
};

// Counts the paint events Qt sends a widget.
class PaintCounter final : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestSurfacePresenter final : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setSurfacePresenterFactory({}); }

    // accept: the presenter shows the change, so Qt paints nothing; declined (no native
    // window yet, or lost), the widget paints it through Qt.
    void changesGoToThePresenterOrBackToQt_data() {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("qtPaints");
        QTest::newRow("shown natively") << true << false;
        QTest::newRow("declined") << false << true;
    }
    void changesGoToThePresenterOrBackToQt() {
        QFETCH(bool, accept);
        QFETCH(bool, qtPaints);
        Log log;
        log.accept = accept;
        setSurfacePresenterFactory(
            [&log](QWidget&, const Surface&) { return std::make_unique<RecordingPresenter>(log); });
        QWidget top;
        top.resize(100, 60);
        auto* widget = new SurfaceWidget(&top);
        widget->setGeometry(0, 0, 80, 40);
        widget->presentNatively();
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        PaintCounter counter;
        widget->installEventFilter(&counter);

        Surface& surface = widget->surface();
        surface.refresh(); // what the new widget had pending
        log.calls.clear();
        counter.paints = 0;
        surface.markScrolled(QRect(0, 10, 80, 30), -1, 0);
        surface.markDirty(QRect(79, 10, 1, 30));
        surface.refresh();
        QCOMPARE(log.calls, (QStringList{QStringLiteral("scroll 0,10 80x30 by -1,0"),
                                         QStringLiteral("update 79,10 1x30")}));
        QTest::qWait(50);
        QCOMPARE(counter.paints > 0, qtPaints);
    }

    // Without a factory, or for a widget not asked to present natively, Qt paints.
    void otherwiseQtPaints_data() {
        QTest::addColumn<bool>("factory");
        QTest::newRow("no factory") << false;
        QTest::newRow("not asked") << true;
    }
    void otherwiseQtPaints() {
        QFETCH(bool, factory);
        Log log;
        if (factory)
            setSurfacePresenterFactory([&log](QWidget&, const Surface&) {
                return std::make_unique<RecordingPresenter>(log);
            });
        QWidget top;
        top.resize(100, 60);
        auto* widget = new SurfaceWidget(&top);
        widget->setGeometry(0, 0, 80, 40);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        PaintCounter counter;
        widget->installEventFilter(&counter);
        widget->surface().markDirty(QRect(5, 5, 4, 4));
        widget->surface().refresh();
        QTRY_VERIFY(counter.paints > 0);
        QCOMPARE(log.calls, QStringList());
    }
};

QTEST_MAIN(TestSurfacePresenter)
#include "test_surfacepresenter.moc"
