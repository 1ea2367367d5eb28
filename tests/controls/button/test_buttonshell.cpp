#include "controls/button/buttonshell.h"
#include "support/urlcatcher.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace tarvo::button;

namespace {} // namespace

class TestButtonShell final : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_catcher, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_catcher, "open");
        m_catcher.opened.clear();
    }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    void openWebsite_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("opened"); // empty: nothing handed to the desktop
        QTest::newRow("web address") << "https://127.0.0.1/tq/index.html"
                                     << "https://127.0.0.1/tq/index.html";
        QTest::newRow("without a scheme") << "127.0.0.1/about"
                                          << "http://127.0.0.1/about";
        QTest::newRow("blanks round it") << "  http://127.0.0.1/  "
                                         << "http://127.0.0.1/";
        QTest::newRow("empty") << ""
                               << "";
    }
    void openWebsite() {
        QFETCH(QString, address);
        QFETCH(QString, opened);
        const bool handed = tarvo::button::openWebsite(address);
        QCOMPARE(handed, !opened.isEmpty());
        if (opened.isEmpty())
            QVERIFY(m_catcher.opened.isEmpty());
        else
            QCOMPARE(m_catcher.opened, QList<QUrl>{QUrl(opened)});
    }

    void about() {
        QWidget parent;
        parent.show();
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool wasModal = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            wasModal = box->isModal();
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            box->accept();
        });
        showAbout(&parent);
        QVERIFY(wasModal);
        QCOMPARE(title, QStringLiteral("About"));
        QCOMPARE(text, QStringLiteral("TQButton v 1.02"));
        QCOMPARE(icon, QMessageBox::Information);
    }

private:
    tarvo::testing::UrlCatcher m_catcher;
};

QTEST_MAIN(TestButtonShell)
#include "test_buttonshell.moc"
