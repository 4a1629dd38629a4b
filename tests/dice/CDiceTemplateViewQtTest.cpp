#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
#include <QtTest>

#include "dice/qt/CDiceTemplateView.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "platform/qt/QtCp932.h"

using namespace yarrow;

class CDiceTemplateViewQtTest : public QObject {
    Q_OBJECT
  private:
    struct Call {
        TemplateEntry entry;
        std::int32_t bonus;
    };
    std::vector<Call> calls;
    TemplateRoller Recorder() {
        return [this](const TemplateEntry& e, std::int32_t b) {
            calls.push_back({e, b});
            return true;
        };
    }
    static QStringList Items(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

  private slots:
    void init() { calls.clear(); }

    void showsGroupsAndTheirTemplates() {
        test::TempDir dir;
        const std::string path = dir.File("Yarrow.ini");
        test::TempDir::Write(path,
                             Sjis("[DiceTemplate]\r\nTemplateNum=3\r\n1=戦闘\r\n2=\r\n3=探索\r\n"
                                  "[戦闘]\r\nTemplateNum=3\r\n1=回避,2D6,10,lo\r\n2=bad\r\n"
                                  "3=攻撃,2D6+3\r\n"
                                  "[探索]\r\nTemplateNum=1\r\n1=Pool,$BM%2C5%2C8,0,pl\r\n"));
        CDiceTemplateView view(path, Recorder());
        view.show();  // the first display shows group 0
        QCOMPARE(view.GroupBox()->count(), 2);
        QCOMPARE(view.GroupBox()->itemText(1), QStringLiteral("探索"));
        QCOMPARE(Items(view.TemplateList()),
                 QStringList({QStringLiteral("回避(10↓)"), QStringLiteral("攻撃(2D6+3)")}));

        view.GroupBox()->setCurrentIndex(1);
        emit view.GroupBox()->activated(1);
        QCOMPARE(view.GroupBox()->currentIndex(), 1);
        QCOMPARE(Items(view.TemplateList()), QStringList({QStringLiteral("Pool($BM,5,8)")}));

        // The file is read afresh on every ShowGroup.
        test::TempDir::Write(path, "[DiceTemplate]\r\nTemplateNum=0\r\n");
        view.ShowGroup(0);
        QCOMPARE(view.GroupBox()->count(), 0);
        QCOMPARE(view.TemplateList()->count(), 0);
    }

    void doubleClickRollsWithTheBonus() {
        test::TempDir dir;
        const std::string path = dir.File("Yarrow.ini");
        test::TempDir::Write(path,
                             "[DiceTemplate]\r\nTemplateNum=1\r\n1=G\r\n"
                             "[G]\r\nTemplateNum=2\r\n1=A,2D6,7,hi\r\n2=B,1D6,3,lo\r\n");
        CDiceTemplateView view(path, Recorder());
        view.ShowGroup(0);
        view.BonusBox()->setValue(-150);
        QCOMPARE(view.BonusBox()->value(), -99);
        view.BonusBox()->setValue(-3);
        emit view.TemplateList()->itemDoubleClicked(view.TemplateList()->item(1));
        QCOMPARE(calls.size(), std::size_t(1));
        QCOMPARE(calls[0].entry, (TemplateEntry{"B", "1D6", 3, TemplateCriterion::RollUnder}));
        QCOMPARE(calls[0].bonus, -3);
        QVERIFY(!view.RollRow(2));
        QCOMPARE(calls.size(), std::size_t(1));
    }
};

QTEST_MAIN(CDiceTemplateViewQtTest)
#include "CDiceTemplateViewQtTest.moc"
