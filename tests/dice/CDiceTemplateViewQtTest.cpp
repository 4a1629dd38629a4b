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
    static QStringList Items(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

  private slots:
    // The pane lists the groups and the templates of the chosen one, read
    // afresh each time; a double click rolls with the bonus (-99 to 99).
    void showsGroupsAndRollsWithTheBonus() {
        test::TempDir dir;
        const std::string path = dir.File("Yarrow.ini");
        test::TempDir::Write(path,
                             Sjis("[DiceTemplate]\r\nTemplateNum=3\r\n1=戦闘\r\n2=\r\n3=探索\r\n"
                                  "[戦闘]\r\nTemplateNum=3\r\n1=回避,2D6,10,lo\r\n2=bad\r\n"
                                  "3=攻撃,2D6+3\r\n"
                                  "[探索]\r\nTemplateNum=1\r\n1=Pool,$BM%2C5%2C8,0,pl\r\n"));
        std::vector<std::pair<TemplateEntry, std::int32_t>> calls;
        CDiceTemplateView view(path, [&](const TemplateEntry& e, std::int32_t bonus) {
            calls.emplace_back(e, bonus);
            return true;
        });
        view.show();  // the first display shows group 0
        QCOMPARE(view.GroupBox()->count(), 2);
        QCOMPARE(view.GroupBox()->itemText(1), QStringLiteral("探索"));
        QCOMPARE(Items(view.TemplateList()),
                 QStringList({QStringLiteral("回避(10↓)"), QStringLiteral("攻撃(2D6+3)")}));
        view.BonusBox()->setValue(-150);
        QCOMPARE(view.BonusBox()->value(), -99);
        view.BonusBox()->setValue(-3);
        emit view.TemplateList()->itemDoubleClicked(view.TemplateList()->item(1));
        QVERIFY(!view.RollRow(2));
        QCOMPARE(calls.size(), std::size_t(1));
        QCOMPARE(calls[0].first,
                 (TemplateEntry{Sjis("攻撃"), "2D6+3", 0, TemplateCriterion::Other}));
        QCOMPARE(calls[0].second, -3);

        view.GroupBox()->setCurrentIndex(1);
        emit view.GroupBox()->activated(1);
        QCOMPARE(view.GroupBox()->currentIndex(), 1);
        QCOMPARE(Items(view.TemplateList()), QStringList({QStringLiteral("Pool($BM,5,8)")}));
        test::TempDir::Write(path, "[DiceTemplate]\r\nTemplateNum=0\r\n");
        view.ShowGroup(0);
        QCOMPARE(view.GroupBox()->count(), 0);
        QCOMPARE(view.TemplateList()->count(), 0);
    }
};

QTEST_MAIN(CDiceTemplateViewQtTest)
#include "CDiceTemplateViewQtTest.moc"
