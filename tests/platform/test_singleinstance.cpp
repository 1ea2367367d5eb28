#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <cstdio>
#include <iostream>
#include <string>

using namespace tarvo::platform;

namespace {

constexpr const char* HolderVariable = "TARVO_TEST_HOLD_INSTANCE";

// Child mode: claims the id, says whether it got it, and holds it until stdin closes.
int runHolder(const QString& appId) {
    const auto instance = createSingleInstance(appId);
    std::cout << (instance->claim() ? "claimed" : "refused") << std::endl;
    std::string line;
    std::getline(std::cin, line);
    return 0;
}

QString uniqueId() {
    return QStringLiteral("tarvo-test-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate());
}

// Starts a child that claims appId; returns its first line of output.
QByteArray startHolder(QProcess& child, const QString& appId) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(HolderVariable), appId);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    if (!child.waitForStarted(10000) || !child.waitForReadyRead(10000))
        return {};
    return child.readLine().trimmed();
}

} // namespace

class TestSingleInstance final : public QObject {
    Q_OBJECT
private slots:
    void secondClaimInTheSameProcessFails() {
        const QString id = uniqueId();
        auto first = createSingleInstance(id);
        QVERIFY(first->claim());
        QVERIFY(first->claim()); // claiming again keeps it
        auto second = createSingleInstance(id);
        QVERIFY(!second->claim());
        QVERIFY(createSingleInstance(uniqueId())->claim()); // another program is unaffected
        first.reset();
        QVERIFY(second->claim()); // released with its holder
    }

    void anotherRunningProcessHoldsTheInstance() {
        const QString id = uniqueId();
        QProcess child;
        QCOMPARE(startHolder(child, id), QByteArray("claimed"));
        QVERIFY(!createSingleInstance(id)->claim());

        child.closeWriteChannel();
        QVERIFY(child.waitForFinished(10000));
        QVERIFY(createSingleInstance(id)->claim());
    }

    void childIsRefusedWhileWeHoldIt() {
        const QString id = uniqueId();
        auto mine = createSingleInstance(id);
        QVERIFY(mine->claim());
        QProcess child;
        QCOMPARE(startHolder(child, id), QByteArray("refused"));
        child.closeWriteChannel();
        QVERIFY(child.waitForFinished(10000));
    }

    void lockOfADeadProcessIsStale() {
        const QString id = uniqueId();
        QProcess child;
        QCOMPARE(startHolder(child, id), QByteArray("claimed"));
        child.kill(); // no chance to release the lock file
        QVERIFY(child.waitForFinished(10000));
        auto instance = createSingleInstance(id);
        QVERIFY(instance->claim());
    }
};

int main(int argc, char** argv) {
    const QByteArray holdId = qgetenv(HolderVariable);
    if (!holdId.isEmpty()) {
        QCoreApplication app(argc, argv);
        return runHolder(QString::fromUtf8(holdId));
    }
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_singleinstance.moc"
