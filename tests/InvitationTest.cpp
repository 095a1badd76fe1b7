#include "runner/Invitation.h"

#include <QTest>

class InvitationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void find_data();
    void find();
};

void InvitationTest::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("invitation");

    const QString none;

    QTest::newRow("empty") << QString() << false << none;
    QTest::newRow("progress only") << QStringLiteral("Working\u2026") << false << none;
    QTest::newRow("only line ends") << QStringLiteral("\r\n\n\u2028") << false << none;
    QTest::newRow("whole text, no line end") << QStringLiteral("Tarnwick invite abc123") << true
                                             << QStringLiteral("Tarnwick invite abc123");
    QTest::newRow("exactly the prefix")
        << QStringLiteral("Tarnwick invite ") << true << QStringLiteral("Tarnwick invite ");
    QTest::newRow("prefix without closing blank")
        << QStringLiteral("Tarnwick invite") << false << none;
    QTest::newRow("prefix without blank, then line end")
        << QStringLiteral("Tarnwick invite\nx") << false << none;
    QTest::newRow("trailing blanks kept") << QStringLiteral("Tarnwick invite x  \nnext") << true
                                          << QStringLiteral("Tarnwick invite x  ");
    QTest::newRow("tab kept") << QStringLiteral("Tarnwick invite x\t") << true
                              << QStringLiteral("Tarnwick invite x\t");
    QTest::newRow("blanks before prefix") << QStringLiteral("  Tarnwick invite x") << false << none;
    QTest::newRow("prefix inside a line")
        << QStringLiteral("Your Tarnwick invite x") << false << none;
    QTest::newRow("case differs") << QStringLiteral("tarnwick invite x") << false << none;
    QTest::newRow("prefix split across lines")
        << QStringLiteral("Tarnwick\ninvite x") << false << none;
    QTest::newRow("prefix split by CR LF")
        << QStringLiteral("Tarnwick invite\r\n x") << false << none;

    QTest::newRow("after LF") << QStringLiteral("Starting\nTarnwick invite x\nDone") << true
                              << QStringLiteral("Tarnwick invite x");
    QTest::newRow("after CR") << QStringLiteral("Starting\rTarnwick invite x\rDone") << true
                              << QStringLiteral("Tarnwick invite x");
    QTest::newRow("after CR LF") << QStringLiteral("Starting\r\nTarnwick invite x\r\nDone") << true
                                 << QStringLiteral("Tarnwick invite x");
    QTest::newRow("after runs of CR LF")
        << QStringLiteral("Starting\r\n\r\nTarnwick invite x\r\n\r\nDone") << true
        << QStringLiteral("Tarnwick invite x");
    QTest::newRow("after LF CR") << QStringLiteral("Starting\n\rTarnwick invite x\n\r") << true
                                 << QStringLiteral("Tarnwick invite x");

    // Each character that ends a line, both before and after the invitation.
    const char16_t lineEnds[] = {0x000A, 0x000B, 0x000C, 0x000D, 0x0085, 0x2028, 0x2029};
    for (char16_t end : lineEnds) {
        const QString separator(QChar{end});
        QTest::addRow("ended by U+%04X", unsigned(end))
            << QStringLiteral("Starting%1Tarnwick invite x%1Done").arg(separator) << true
            << QStringLiteral("Tarnwick invite x");
    }

    QTest::newRow("first of two wins")
        << QStringLiteral("Tarnwick invite first\nTarnwick invite second") << true
        << QStringLiteral("Tarnwick invite first");
    QTest::newRow("first valid one wins over an earlier near miss")
        << QStringLiteral("Tarnwick invite\n Tarnwick invite no\nTarnwick invite yes\n") << true
        << QStringLiteral("Tarnwick invite yes");
    QTest::newRow("last line without line end") << QStringLiteral("a\nb\nTarnwick invite last")
                                                << true << QStringLiteral("Tarnwick invite last");
    QTest::newRow("non-ASCII kept")
        << QStringLiteral("Tarnwick invite caf\u00E9 \U0001F600") << true
        << QStringLiteral("Tarnwick invite caf\u00E9 \U0001F600");
}

void InvitationTest::find()
{
    QFETCH(QString, text);
    QFETCH(bool, found);
    QFETCH(QString, invitation);

    const std::optional<QString> result = Invitation::find(text);
    QCOMPARE(result.has_value(), found);
    if (found)
        QCOMPARE(*result, invitation);
}

QTEST_GUILESS_MAIN(InvitationTest)
#include "InvitationTest.moc"
