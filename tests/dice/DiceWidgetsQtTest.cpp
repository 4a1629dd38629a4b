// The dice widgets offscreen: the template options page (what it refuses,
// editing a group and saving what reads back), the template pane over the
// same settings file, and the expression box as the roller's history.

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QtTest>

#include "dice/CDiceRoller.h"
#include "dice/CMersenneTwister.h"
#include "dice/DiceTerm.h"
#include "dice/qt/CDiceTemplateView.h"
#include "dice/qt/CDiceTmplOptionDlg.h"
#include "dice/qt/CExpressionCombo.h"
#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "platform/qt/QtCp932.h"
#include "support/FakeSession.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;

namespace {

// What the page told the user, each as "text|caption".
QStringList Messages(const test::ScriptedPrompter& prompter) {
    QStringList messages;
    for (const test::Prompt& p : prompter.prompts)
        messages.push_back(FromCp932(p.text) + "|" + FromCp932(p.caption));
    return messages;
}

// Stands in for the roller: "$BM," formulas are plug-in rolls, count-D-faces
// terms are sum rolls.
bool Check(const std::string& formula, bool plugin) {
    if (plugin)
        return formula.rfind("$BM,", 0) == 0;
    const auto term = ParseDiceTerm(formula);
    return term && term->faces >= 1;
}

QStringList Items(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void Fill(CDiceTmplOptionDlg& page, const char* name, const char* formula) {
    page.NameEdit()->setText(QString::fromUtf8(name));
    page.FormulaBox()->setEditText(QString::fromUtf8(formula));
}

// Counts far beyond the keys there, as a damaged file may hold: only the keys
// that exist are read (asking for the missing ones would never finish).
const char* kSettings =
    "[Dice]\r\nFormNum=2000000000\r\n1=3D6\r\n2=!2D6\r\n3=-1,2D6\r\n4=$CARD\r\n5=1D100\r\n"
    "6=#T\r\n"
    "[DiceTemplate]\r\nTemplateNum=2000000000\r\n1=Main\r\n2=\r\n3=Side\r\n"
    "[Main]\r\nTemplateNum=2000000000\r\n1=A,2D6,7,lo\r\n2=broken\r\n3=B,1D6\r\n"
    "[Side]\r\nTemplateNum=2\r\n1=C,3D6,12,hi\r\n2=P,$BM%2C5%2C8,0,pl\r\n";

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

class DiceWidgetsQtTest : public QObject {
    Q_OBJECT
  private slots:
    void optionPageRefusesMissingNameBadFormulaAndGroupNames() {
        test::ScriptedPrompter prompter;
        CDiceTmplOptionDlg page(prompter, Check);
        const QString bad = QStringLiteral("ダイスフォーマットが不正です|エラー");
        const struct {
            const char* name;
            const char* formula;
            const char* group;
            QString message;
        } cases[] = {
            {"", "2D6", "G", QStringLiteral("テンプレート名を入力してください|エラー")},
            {"X", "2D6x", "G", bad},
            {"X", "+1,2D6", "G", bad},  // keep rolls are no templates
            {"X", "2D6", "", QStringLiteral("テンプレートグループ名が入力されていません|エラー")},
            // Groups named like the settings file's own sections, any case.
            {"X", "2D6", "dice",
             QStringLiteral("この名前は設定ファイルで使われているため、テンプレートグループ名にでき"
                            "ません|エラー")},
            {"X", "2D6", "DICETEMPLATE", {}},
            {"X", "2D6", "subhandlename", {}},
            {"X", "2D6", " Dice ", {}},
        };
        QString last;
        for (const auto& c : cases) {
            Fill(page, c.name, c.formula);
            page.GroupBox()->setEditText(QString::fromLatin1(c.group));
            page.AddTemplate();
            last = c.message.isEmpty() ? last : c.message;
            QCOMPARE(Messages(prompter).last(), last);
            QCOMPARE(prompter.prompts.back().icon, PromptIcon::Stop);
        }
        QVERIFY(page.Groups().empty());
        page.GroupBox()->setEditText(QStringLiteral("Dices"));  // only the exact section names
        page.AddTemplate();
        QCOMPARE(page.Groups().size(), std::size_t{1});

        // Without a chat view there is no check: every formula is refused.
        CDiceTmplOptionDlg orphan(prompter, {});
        Fill(orphan, "X", "2D6");
        orphan.GroupBox()->setEditText("G");
        orphan.AddTemplate();
        QCOMPARE(Messages(prompter).last(), bad);
    }

    // Loading shows sum formulas only and skips nameless groups and broken
    // lines; adding inserts before the selection, resets the form and starts
    // or finds groups by typed name; Delete removes the selected rows;
    // saving reads back the same, commas escaped.
    void optionPageEditsAGroupAndSavesWhatReadsBack() {
        test::TempDir dir;
        const std::string path = dir.File("Yarrow.ini");
        test::TempDir::Write(path, kSettings);
        test::ScriptedPrompter prompter;
        CDiceTmplOptionDlg page(prompter, Check);
        page.LoadTemplates(path);
        QCOMPARE(page.FormulaBox()->count(), 2);
        QCOMPARE(page.FormulaBox()->currentText(), QStringLiteral("3D6"));
        QCOMPARE(page.FormulaBox()->itemText(1), QStringLiteral("1D100"));

        page.TemplateList()->item(1)->setSelected(true);
        Fill(page, "N", "2D6+1");
        page.TargetBox()->setValue(9);
        page.SetCriterion(TemplateCriterion::RollOver);
        page.AddTemplate();
        QCOMPARE(Items(page.TemplateList()),
                 QStringList(
                     {QStringLiteral("A(7↓)"), QStringLiteral("N(9↑)"), QStringLiteral("B(1D6)")}));
        QVERIFY(page.NameEdit()->text().isEmpty());

        // A typed new name starts a group (key clicks carry Latin-1 only; a
        // typed Japanese name arrives as an edit of the whole text).
        page.GroupBox()->lineEdit()->setText(QStringLiteral("新規"));
        emit page.GroupBox()->lineEdit()->textEdited(QStringLiteral("新規"));
        QCOMPARE(page.CurrentGroup(), -1);
        Fill(page, "P", "$BM,5,8");
        page.SetCriterion(TemplateCriterion::Plugin);
        page.AddTemplate();
        QCOMPARE(page.CurrentGroup(), 2);
        QCOMPARE(page.GroupBox()->itemText(2), QStringLiteral("新規"));
        QCOMPARE(Items(page.TemplateList()), QStringList({QStringLiteral("P($BM,5,8)")}));
        // A typed existing name adds to that group.
        page.GroupBox()->lineEdit()->setText(QString());
        QTest::keyClicks(page.GroupBox()->lineEdit(), "Side");
        Fill(page, "Q", "1D6");
        page.AddTemplate();
        QCOMPARE(page.GroupBox()->count(), 3);
        QCOMPARE(page.Groups()[1].entries.size(), std::size_t(3));

        emit page.GroupBox()->activated(0);
        for (int row = 0; row < 3; ++row)
            page.TemplateList()->item(row)->setSelected(true);
        QTest::keyClick(page.TemplateList(), Qt::Key_Delete);
        QVERIFY(page.Groups()[0].entries.empty());
        Fill(page, "回避,受け", "2D6");
        page.TargetBox()->setValue(8);
        QTest::keyClick(page.TargetBox(), Qt::Key_Return);  // Enter adds, too
        QVERIFY(page.SaveTemplates(path));

        CDiceTmplOptionDlg again(prompter, Check);
        again.LoadTemplates(path);
        QCOMPARE(again.Groups().size(), std::size_t(3));
        for (std::size_t g = 0; g < 3; ++g)
            QCOMPARE(again.Groups()[g].entries, page.Groups()[g].entries);
        QCOMPARE(CProfileFile(path).GetString("Main", "1"), Sjis("回避%2C受け") + ",2D6,8,lo");
        QCOMPARE(CProfileFile(path).GetString("Side", "2"), std::string("P,$BM%2C5%2C8,0,pl"));
        QVERIFY(Messages(prompter).isEmpty());
    }

    // A group is a section of the settings file, and the file knows a
    // section by its name with blanks around it ignored and letters in any
    // case: such a typed name adds to the group it names instead of starting
    // a second group that the save would write over the first. A name the
    // file cannot give back (a "]" ends the section header, blanks read as
    // nothing) is refused rather than lost with its templates at the save.
    void optionPageKeepsGroupsTheFileCanTellApart() {
        test::TempDir dir;
        const std::string path = dir.File("Yarrow.ini");
        test::TempDir::Write(path, kSettings);
        test::ScriptedPrompter prompter;
        CDiceTmplOptionDlg page(prompter, Check);
        page.LoadTemplates(path);
        const QString unnamed = QStringLiteral("テンプレートグループ名が入力されていません|エラー");
        const QString unstorable =
            QStringLiteral("テンプレートグループ名に使えない文字が含まれています|エラー");
        const struct {
            QString group;
            QString message;  // empty: added
            int into;         // the group added to
        } cases[] = {
            {QStringLiteral(" side "), {}, 1},
            {QStringLiteral("MAIN"), {}, 0},
            {QStringLiteral("   "), unnamed, -1},
            {QStringLiteral("A]B"), unstorable, -1},
            {QStringLiteral("\"x\""), unstorable, -1},
            {QStringLiteral("ゾンビ"), {}, 2},  // "ゾ" ends in the byte of "]"
        };
        for (const auto& c : cases) {
            page.GroupBox()->lineEdit()->setText(c.group);
            emit page.GroupBox()->lineEdit()->textEdited(c.group);
            Fill(page, "T", "1D6");
            page.AddTemplate();
            QCOMPARE(page.CurrentGroup(), c.into);
            QCOMPARE(Messages(prompter).isEmpty() ? QString() : Messages(prompter).last(),
                     c.message);
            prompter.prompts.clear();
        }
        QCOMPARE(page.GroupBox()->count(), 3);
        QCOMPARE(page.Groups()[0].entries.size(), std::size_t(3));
        QCOMPARE(page.Groups()[1].entries.size(), std::size_t(3));
        QVERIFY(page.SaveTemplates(path));

        CDiceTmplOptionDlg again(prompter, Check);
        again.LoadTemplates(path);
        QCOMPARE(again.Groups().size(), std::size_t(3));
        for (std::size_t g = 0; g < 3; ++g) {
            QCOMPARE(again.Groups()[g].name, page.Groups()[g].name);
            QCOMPARE(again.Groups()[g].entries, page.Groups()[g].entries);
        }
    }

    // The pane lists the groups and the templates of the chosen one, read
    // afresh each time; a double click rolls with the bonus.
    void templatePaneShowsGroupsAndRollsWithTheBonus() {
        test::TempDir dir;
        const std::string path = dir.File("Yarrow.ini");
        test::TempDir::Write(path, kSettings);
        std::vector<std::pair<TemplateEntry, std::int32_t>> calls;
        CDiceTemplateView view(path, [&](const TemplateEntry& e, std::int32_t bonus) {
            calls.emplace_back(e, bonus);
            return true;
        });
        view.show();  // the first display shows group 0
        QCOMPARE(view.GroupBox()->count(), 2);
        QCOMPARE(Items(view.TemplateList()),
                 QStringList({QStringLiteral("A(7↓)"), QStringLiteral("B(1D6)")}));
        view.BonusBox()->setValue(-3);
        emit view.TemplateList()->itemDoubleClicked(view.TemplateList()->item(1));
        QVERIFY(!view.RollRow(2));
        QCOMPARE(calls.size(), std::size_t(1));
        QCOMPARE(calls[0].first, (TemplateEntry{"B", "1D6", 0, TemplateCriterion::Other}));
        QCOMPARE(calls[0].second, -3);

        view.GroupBox()->setCurrentIndex(1);
        emit view.GroupBox()->activated(1);
        QCOMPARE(Items(view.TemplateList()),
                 QStringList({QStringLiteral("C(12↑)"), QStringLiteral("P($BM,5,8)")}));
        test::TempDir::Write(path, "[DiceTemplate]\r\nTemplateNum=0\r\n");
        view.ShowGroup(0);
        QCOMPARE(view.GroupBox()->count(), 0);
        QCOMPARE(view.TemplateList()->count(), 0);
    }

    // The history through the chat view's box: a picked entry, errors and
    // commands other than $CARD add nothing; a typed expression joins once,
    // trimmed, unless an entry is byte for byte the same; what joins is selected.
    void expressionBoxKeepsTypedExpressionsOnce() {
        QComboBox combo;
        combo.setEditable(true);
        combo.addItems({"3D6", "1D6 "});
        combo.setCurrentIndex(0);
        ComboControls host(&combo);
        test::FakeSession session;
        session.connected = false;
        CMersenneTwister rng;
        CDiceRoller roller(session, session, host, rng, "/nonexistent/Chart.ini", nullptr);
        QVERIFY(host.box.IsPicked());
        roller.OnRollDice();
        for (const char* typed :
             {" 1D6 @ がらがら ", "3D", "$TIMER,5m", "$CARD", "1D6", "3D6", "1D6 @ がらがら"}) {
            combo.lineEdit()->setText(QString::fromUtf8(typed));
            QVERIFY(!host.box.IsPicked());
            roller.OnRollDice();
        }
        QCOMPARE(host.box.Entries(),
                 (std::vector<std::string>{"3D6", "1D6 ", Sjis("1D6 @ がらがら"), "$CARD", "1D6"}));
        QCOMPARE(combo.currentIndex(), 4);  // the last one added
    }
};

QTEST_MAIN(DiceWidgetsQtTest)
#include "DiceWidgetsQtTest.moc"
