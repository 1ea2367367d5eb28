#include "forms/colour.h"

#include <QGuiApplication>
#include <QTest>

using namespace tarvo::forms;

namespace {

// A palette whose every role and group has its own colour, so a wrong mapping shows.
QPalette distinctPalette() {
    QPalette palette;
    int n = 1;
    for (int g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            palette.setColor(QPalette::ColorGroup(g), QPalette::ColorRole(r),
                             QColor(n * 7 % 256, n * 13 % 256, n * 29 % 256));
            ++n;
        }
    }
    return palette;
}

} // namespace

class TestColour final : public QObject {
    Q_OBJECT

private slots:
    void rgbLayout() {
        QCOMPARE(rgb(0x11, 0x22, 0x33), OleColor(0x00332211));
        QCOMPARE(rgb(255, 0, 0), OleColor(0x0000FF));
        QCOMPARE(rgb(0, 0, 255), OleColor(0xFF0000));
        QCOMPARE(rgb(256 + 1, -1, 0), OleColor(0x00FF01)); // each part keeps its low byte
        QVERIFY(!isSystemColour(rgb(255, 255, 255)));
        QVERIFY(isSystemColour(syscolour::ButtonFace));
    }

    void plainColours_data() {
        QTest::addColumn<OleColor>("value");
        QTest::addColumn<QColor>("colour");

        QTest::newRow("black") << OleColor(0) << QColor(0, 0, 0);
        QTest::newRow("white") << OleColor(0xFFFFFF) << QColor(255, 255, 255);
        QTest::newRow("graph blue") << rgb(2, 181, 236) << QColor(2, 181, 236);
        QTest::newRow("BBGGRR") << OleColor(0x00C08040) << QColor(0x40, 0x80, 0xC0);
    }

    void plainColours() {
        QFETCH(OleColor, value);
        QFETCH(QColor, colour);
        QCOMPARE(toQColor(value), colour);
        QCOMPARE(toQColor(value, distinctPalette()), colour); // a palette changes nothing
        QCOMPARE(fromQColor(colour), value);
    }

    void systemColours_data() {
        QTest::addColumn<OleColor>("value");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("role");

        QTest::newRow("window") << syscolour::Window << int(QPalette::Active)
                                << int(QPalette::Base);
        QTest::newRow("window text")
            << syscolour::WindowText << int(QPalette::Active) << int(QPalette::Text);
        QTest::newRow("highlight")
            << syscolour::Highlight << int(QPalette::Active) << int(QPalette::Highlight);
        QTest::newRow("highlight text")
            << syscolour::HighlightText << int(QPalette::Active) << int(QPalette::HighlightedText);
        QTest::newRow("button face")
            << syscolour::ButtonFace << int(QPalette::Active) << int(QPalette::Button);
        QTest::newRow("button shadow")
            << syscolour::ButtonShadow << int(QPalette::Active) << int(QPalette::Dark);
        QTest::newRow("grey text")
            << syscolour::GrayText << int(QPalette::Disabled) << int(QPalette::Text);
        QTest::newRow("button text")
            << syscolour::ButtonText << int(QPalette::Active) << int(QPalette::ButtonText);
        QTest::newRow("button highlight")
            << syscolour::ButtonHighlight << int(QPalette::Active) << int(QPalette::Light);
        QTest::newRow("dark shadow")
            << syscolour::ButtonDarkShadow << int(QPalette::Active) << int(QPalette::Shadow);
        QTest::newRow("light") << syscolour::ButtonLight << int(QPalette::Active)
                               << int(QPalette::Midlight);
        QTest::newRow("tooltip text")
            << syscolour::InfoText << int(QPalette::Active) << int(QPalette::ToolTipText);
        QTest::newRow("tooltip back")
            << syscolour::InfoBackground << int(QPalette::Active) << int(QPalette::ToolTipBase);
    }

    void systemColours() {
        QFETCH(OleColor, value);
        QFETCH(int, group);
        QFETCH(int, role);
        const QPalette palette = distinctPalette();
        QCOMPARE(toQColor(value, palette),
                 palette.color(QPalette::ColorGroup(group), QPalette::ColorRole(role)));
    }

    void unknownSystemColoursAreBlack_data() {
        QTest::addColumn<OleColor>("value");
        QTest::newRow("unused 25") << OleColor(0x80000019);
        QTest::newRow("past the table") << OleColor(0x80000040);
        QTest::newRow("huge index") << OleColor(0xFFFFFFFF);
    }

    void unknownSystemColoursAreBlack() {
        QFETCH(OleColor, value);
        QCOMPARE(toQColor(value, distinctPalette()), QColor(0, 0, 0));
    }

    void applicationPaletteIsTheDefault() {
        const QPalette before = QGuiApplication::palette();
        QPalette custom = before;
        custom.setColor(QPalette::Active, QPalette::Button, QColor(1, 2, 3));
        QGuiApplication::setPalette(custom);
        QCOMPARE(toQColor(syscolour::ButtonFace), QColor(1, 2, 3));
        QGuiApplication::setPalette(before);
    }

    void translucentPaletteEntriesDrawOpaque() {
        QPalette palette;
        palette.setColor(QPalette::Active, QPalette::Button, QColor(10, 20, 30, 40));
        QCOMPARE(toQColor(syscolour::ButtonFace, palette), QColor(10, 20, 30));
    }
};

QTEST_MAIN(TestColour)
#include "test_colour.moc"
