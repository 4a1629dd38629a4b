#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QtTest>

#include "dice/DiceTerm.h"
#include "dice/qt/CDiceTmplOptionDlg.h"
#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/TempDir.h"
#include "platform/qt/QtCp932.h"
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

const char* kSettings =
    "[Dice]\r\nFormNum=6\r\n1=3D6\r\n2=!2D6\r\n3=-1,2D6\r\n4=$CARD\r\n5=1D100\r\n6=#T\r\n"
    "[DiceTemplate]\r\nTemplateNum=2\r\n1=Main\r\n2=Side\r\n"
    "[Main]\r\nTemplateNum=2\r\n1=A,2D6,7,lo\r\n2=B,1D6\r\n"
    "[Side]\r\nTemplateNum=1\r\n1=C,3D6,12,hi\r\n";

}  // namespace

class CDiceTmplOptionDlgQtTest : public QObject {
    Q_OBJECT
  private slots:
    void loadsFormulasAndGroups() {
        test::TempDir dir;
        test::TempDir::Write(dir.File("Yarrow.ini"), kSettings);
        test::ScriptedPrompter prompter;
        CDiceTmplOptionDlg page(prompter, Check);
        page.LoadTemplates(dir.File("Yarrow.ini"));
        QCOMPARE(page.FormulaBox()->count(), 2);
        QCOMPARE(page.FormulaBox()->currentText(), QStringLiteral("3D6"));
        QCOMPARE(page.FormulaBox()->itemText(1), QStringLiteral("1D100"));
        QCOMPARE(page.CurrentGroup(), 0);
        QCOMPARE(Items(page.TemplateList()),
                 QStringList({QStringLiteral("A(7↓)"), QStringLiteral("B(1D6)")}));
        emit page.GroupBox()->activated(1);
        QCOMPARE(page.CurrentGroup(), 1);
        QCOMPARE(Items(page.TemplateList()), QStringList({QStringLiteral("C(12↑)")}));
    }

    void addRefusesMissingNameBadFormulaAndMissingGroup() {
        test::ScriptedPrompter prompter;
        CDiceTmplOptionDlg page(prompter, Check);
        page.FormulaBox()->setEditText("2D6");
        page.AddTemplate();
        page.NameEdit()->setText("X");
        page.FormulaBox()->setEditText("2D6x");
        page.AddTemplate();
        page.FormulaBox()->setEditText("+1,2D6");  // keep rolls are no templates
        page.AddTemplate();
        page.FormulaBox()->setEditText("2D6");
        page.AddTemplate();  // no group typed
        QCOMPARE(
            Messages(prompter),
            QStringList({QStringLiteral("テンプレート名を入力してください|エラー"),
                         QStringLiteral("ダイスフォーマットが不正です|エラー"),
                         QStringLiteral("ダイスフォーマットが不正です|エラー"),
                         QStringLiteral("テンプレートグループ名が入力されていません|エラー")}));
        QVERIFY(std::all_of(prompter.prompts.begin(), prompter.prompts.end(),
                            [](const test::Prompt& p) { return p.icon == PromptIcon::Stop; }));
        // Groups named like the settings file's own sections are refused.
        for (const char* name : {"dice", "DICETEMPLATE", "InitialSetting", "subhandlename",
                                 "RandomDiceHoy", " Dice "}) {
            page.GroupBox()->setEditText(QString::fromLatin1(name));
            page.AddTemplate();
            QCOMPARE(
                Messages(prompter).last(),
                QStringLiteral("この名前は設定ファイルで使われているため、テンプレートグループ名に"
                               "できません|エラー"));
        }
        QVERIFY(page.Groups().empty());
        page.GroupBox()->setEditText(QStringLiteral("Dices"));  // only the exact section names
        page.AddTemplate();
        QCOMPARE(page.Groups().size(), std::size_t{1});

        // Without a chat view there is no check: every formula is refused.
        CDiceTmplOptionDlg orphan(prompter, {});
        orphan.NameEdit()->setText("X");
        orphan.FormulaBox()->setEditText("2D6");
        orphan.GroupBox()->setEditText("G");
        orphan.AddTemplate();
        QCOMPARE(Messages(prompter).last(), QStringLiteral("ダイスフォーマットが不正です|エラー"));
    }

    void hugeListCountsReadOnlyTheKeysThatExist() {
        test::TempDir dir;
        test::TempDir::Write(dir.File("Yarrow.ini"),
                             "[Dice]\r\nFormNum=2000000000\r\n1=3D6\r\n7=2D6\r\n"
                             "[DiceTemplate]\r\nTemplateNum=2000000000\r\n1=Main\r\n"
                             "[Main]\r\nTemplateNum=2000000000\r\n1=A,2D6,7,lo\r\n");
        test::ScriptedPrompter prompter;
        CDiceTmplOptionDlg page(prompter, Check);
        page.LoadTemplates(dir.File("Yarrow.ini"));
        QCOMPARE(page.FormulaBox()->count(), 2);
        QCOMPARE(page.Groups().size(), std::size_t{1});
        QCOMPARE(page.Groups()[0].entries.size(), std::size_t{1});
    }

    void addCreatesGroupsInsertsBeforeSelectionAndResetsTheForm() {
        test::TempDir dir;
        test::TempDir::Write(dir.File("Yarrow.ini"), kSettings);
        test::ScriptedPrompter prompter;
        CDiceTmplOptionDlg page(prompter, Check);
        page.LoadTemplates(dir.File("Yarrow.ini"));

        // Before the selected row of the shown group.
        page.TemplateList()->item(1)->setSelected(true);
        page.NameEdit()->setText("N");
        page.FormulaBox()->setEditText("2D6+1");
        page.TargetBox()->setValue(9);
        page.SetCriterion(TemplateCriterion::RollOver);
        page.AddTemplate();
        QCOMPARE(Items(page.TemplateList()),
                 QStringList(
                     {QStringLiteral("A(7↓)"), QStringLiteral("N(9↑)"), QStringLiteral("B(1D6)")}));
        QCOMPARE(page.Groups()[0].entries[1],
                 (TemplateEntry{"N", "2D6+1", 9, TemplateCriterion::RollOver}));
        // The form is reset, the formula kept.
        QVERIFY(page.NameEdit()->text().isEmpty());
        QCOMPARE(page.TargetBox()->value(), 0);
        QCOMPARE(page.Criterion(), TemplateCriterion::RollUnder);

        // Typing a new group name starts a new group.
        // (Key clicks carry Latin-1 only; a typed Japanese name arrives as
        // an edit of the whole text.)
        page.GroupBox()->lineEdit()->setText(QStringLiteral("新規"));
        emit page.GroupBox()->lineEdit()->textEdited(QStringLiteral("新規"));
        QCOMPARE(page.CurrentGroup(), -1);
        QCOMPARE(page.TemplateList()->count(), 0);
        page.NameEdit()->setText("P");
        page.FormulaBox()->setEditText("$BM,5,8");
        page.SetCriterion(TemplateCriterion::Plugin);
        page.AddTemplate();
        QCOMPARE(page.Groups().size(), std::size_t(3));
        QCOMPARE(page.CurrentGroup(), 2);
        QCOMPARE(page.GroupBox()->itemText(2), QStringLiteral("新規"));
        QCOMPARE(Items(page.TemplateList()), QStringList({QStringLiteral("P($BM,5,8)")}));

        // Typing an existing group's name adds to that group.
        page.GroupBox()->lineEdit()->setText(QString());
        QTest::keyClicks(page.GroupBox()->lineEdit(), "Side");
        page.NameEdit()->setText("Q");
        page.FormulaBox()->setEditText("1D6");
        page.AddTemplate();
        QCOMPARE(page.GroupBox()->count(), 3);
        QCOMPARE(page.Groups()[1].entries.size(), std::size_t(2));
    }

    void deleteKeyRemovesSelectedRowsAndSaveRoundTrips() {
        test::TempDir dir;
        const std::string path = dir.File("Yarrow.ini");
        test::TempDir::Write(path, kSettings);
        test::ScriptedPrompter prompter;
        CDiceTmplOptionDlg page(prompter, Check);
        page.LoadTemplates(path);
        page.TemplateList()->item(0)->setSelected(true);
        page.TemplateList()->item(1)->setSelected(true);
        QTest::keyClick(page.TemplateList(), Qt::Key_Delete);
        QCOMPARE(page.TemplateList()->count(), 0);
        QVERIFY(page.Groups()[0].entries.empty());

        page.NameEdit()->setText(QStringLiteral("回避,受け"));
        page.FormulaBox()->setEditText("2D6");
        page.TargetBox()->setValue(8);
        QTest::keyClick(page.TargetBox(), Qt::Key_Return);  // Enter adds, too
        QCOMPARE(page.TemplateList()->count(), 1);
        QVERIFY(page.SaveTemplates(path));

        CDiceTmplOptionDlg again(prompter, Check);
        again.LoadTemplates(path);
        QCOMPARE(again.Groups().size(), std::size_t(2));
        QCOMPARE(again.Groups()[0].entries,
                 (std::vector<TemplateEntry>{
                     {Sjis("回避,受け"), "2D6", 8, TemplateCriterion::RollUnder}}));
        QCOMPARE(again.Groups()[1].entries.size(), std::size_t(1));
        QCOMPARE(CProfileFile(path).GetString("Main", "1"), Sjis("回避%2C受け") + ",2D6,8,lo");
        QVERIFY(Messages(prompter).isEmpty());
    }
};

QTEST_MAIN(CDiceTmplOptionDlgQtTest)
#include "CDiceTmplOptionDlgQtTest.moc"
