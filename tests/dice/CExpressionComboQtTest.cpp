#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include "dice/CDiceRoller.h"
#include "dice/CMersenneTwister.h"
#include "dice/qt/CExpressionCombo.h"
#include "platform/Cp932.h"

using namespace yarrow;

namespace {

// The chat view's side of the roller, with the real combo for the history.
class ComboHost final : public IDiceHost {
  public:
    explicit ComboHost(QComboBox* combo) : box(combo) {}
    std::string SpeakerName() override { return "GM"; }
    std::int32_t MyColor() override { return 0; }
    bool IsConnected() override { return false; }
    bool IsShiftDown() override { return false; }
    bool SendChat(const std::string&, const std::string& text, std::int32_t,
                  std::int32_t) override {
        sent.push_back(text);
        return false;
    }
    bool SendText(const std::string&, std::int32_t) override { return false; }
    void AppendChatLine(const std::string&, const std::string&, std::int32_t,
                        std::int32_t) override {}
    bool BeginCountdown(std::int32_t, std::int32_t) override { return true; }
    void CancelCountdown() override {}
    std::int32_t CountdownRemainingMs() override { return 0; }
    void DrawCard(bool) override {}
    std::string ExpressionText() override { return box.Text(); }
    bool IsExpressionPicked() override { return box.IsPicked(); }
    std::vector<std::string> ExpressionEntries() override { return box.Entries(); }
    void AddExpressionEntry(const std::string& text) override { box.Add(text); }
    void SelectExpressionEntry(int index) override { box.Select(index); }

    CExpressionCombo box;
    std::vector<std::string> sent;
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
        ComboHost host(&combo);
        CMersenneTwister rng;
        CDiceRoller roller(host, rng, "/nonexistent/Chart.ini", nullptr);

        QVERIFY(host.box.IsPicked());
        roller.OnRollDice();
        QCOMPARE(combo.count(), 2);

        combo.lineEdit()->setText(QStringLiteral("1D6 @ がらがら"));
        QVERIFY(!host.box.IsPicked());
        roller.OnRollDice();
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.itemText(2), QStringLiteral("1D6 @ がらがら"));
        QCOMPARE(combo.currentIndex(), 2);
        QVERIFY(QString::fromUtf8(Cp932ToUtf8(host.sent.back()).text.c_str())
                    .startsWith(QStringLiteral(" がらがら 1D6 = (")));

        // Typing an existing entry again does not add it.
        combo.lineEdit()->setText("2D6");
        roller.OnRollDice();
        QCOMPARE(combo.count(), 3);

        // Errors stay out of the list.
        combo.lineEdit()->setText("2D6x");
        roller.OnRollDice();
        QCOMPARE(combo.count(), 3);
        QCOMPARE(QString::fromUtf8(Cp932ToUtf8(host.sent.back()).text.c_str()),
                 QStringLiteral("ころころ…… ダイス書式エラー(2D6x)"));

        roller.RollListEntry(1);
        QCOMPARE(combo.currentIndex(), 1);
        QCOMPARE(host.sent.size(), std::size_t(5));
    }
};

QTEST_MAIN(CExpressionComboQtTest)
#include "CExpressionComboQtTest.moc"
