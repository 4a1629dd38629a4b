#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include "dice/CDiceRoller.h"
#include "dice/CMersenneTwister.h"
#include "dice/qt/CExpressionCombo.h"
#include "platform/Cp932.h"
#include "support/FakeSession.h"

using namespace yarrow;

namespace {

// The chat view's dice controls with the real combo for the history.
class ComboControls final : public IDiceControls {
  public:
    explicit ComboControls(QComboBox* combo) : box(combo) {}
    bool IsShiftDown() const override { return false; }
    bool BeginCountdown(std::int32_t, std::int32_t) override { return true; }
    void CancelCountdown() override {}
    std::int32_t CountdownRemainingMs() const override { return 0; }
    void DrawCard(bool) override {}
    std::string ExpressionText() const override { return box.Text(); }
    bool IsExpressionPicked() const override { return box.IsPicked(); }
    std::vector<std::string> ExpressionEntries() const override { return box.Entries(); }
    void AddExpressionEntry(const std::string& text) override { box.Add(text); }
    void SelectExpressionEntry(int index) override { box.Select(index); }

    CExpressionCombo box;
};

}  // namespace

class CExpressionComboQtTest : public QObject {
    Q_OBJECT
  private slots:
    void typedExpressionsJoinTheListOnce() {
        QComboBox combo;
        combo.setEditable(true);
        combo.addItems({"3D6", "2D6"});
        combo.setCurrentIndex(0);
        ComboControls host(&combo);
        test::FakeSession session;
        session.connected = false;
        CMersenneTwister rng;
        CDiceRoller roller(session, session, host, rng, "/nonexistent/Chart.ini", nullptr);

        QVERIFY(host.box.IsPicked());
        roller.OnRollDice();
        QCOMPARE(combo.count(), 2);

        combo.lineEdit()->setText(QStringLiteral("1D6 @ がらがら"));
        QVERIFY(!host.box.IsPicked());
        roller.OnRollDice();
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.itemText(2), QStringLiteral("1D6 @ がらがら"));
        QCOMPARE(combo.currentIndex(), 2);
        QVERIFY(QString::fromUtf8(Cp932ToUtf8(session.chats.back().text).text.c_str())
                    .startsWith(QStringLiteral(" がらがら 1D6 = (")));

        // Errors stay out of the list.
        combo.lineEdit()->setText("2D6x");
        roller.OnRollDice();
        QCOMPARE(combo.count(), 3);
        QCOMPARE(QString::fromUtf8(Cp932ToUtf8(session.chats.back().text).text.c_str()),
                 QStringLiteral("ころころ…… ダイス書式エラー(2D6x)"));
        QCOMPARE(session.chats.size(), std::size_t(3));
    }
};

QTEST_MAIN(CExpressionComboQtTest)
#include "CExpressionComboQtTest.moc"
