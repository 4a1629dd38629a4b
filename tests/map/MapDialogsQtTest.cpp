#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "map/CChipFile.h"
#include "map/MapQtFakes.h"
#include "map/MapTypes.h"
#include "map/qt/CChipDlg.h"
#include "map/qt/CUnitDlg.h"
#include "platform/Cp932.h"
#include "platform/TempDir.h"
#include "platform/qt/QtCp932.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;

namespace {

QStringList Messages(const test::ScriptedPrompter& prompter) {
    QStringList messages;
    for (const test::Prompt& p : prompter.prompts)
        messages.push_back(FromCp932(p.text) + "|" + FromCp932(p.caption));
    return messages;
}

// A program folder, a prompter and scripted map dialogs for one dialog.
struct Folder {
    std::unique_ptr<CUnitDlg> Unit(CUnitDlg::Mode mode = CUnitDlg::Mode::Unit) {
        return std::make_unique<CUnitDlg>(mode, prompter, dialogs, dir.File("Yarrow.ini"));
    }
    test::TempDir dir;
    test::ScriptedPrompter prompter;
    test::ScriptedMapDialogs dialogs;
};

void WriteBitmap(const std::string& path) {
    QImage image(19, 19, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(QString::fromStdString(path), "BMP"));
}

}  // namespace

class MapDialogsQtTest : public QObject {
    Q_OBJECT
  private slots:
    void colourFieldTakesHexDigitsAndTheColourDialog() {
        Folder f;
        auto edit = f.Unit();
        // Only hexadecimal digits, at most six, are typed.
        edit->ColorField()->clear();
        QTest::keyClicks(edit->ColorField(), "12zz3456789");
        QCOMPARE(edit->ColorText(), QStringLiteral("123456"));

        // The colour button starts the colour dialog at the shown colour and
        // writes the chosen one back as text.
        f.dialogs.colors = {std::int32_t{0x00FF00}, std::nullopt};
        edit->SetColorText(QStringLiteral("0000FF"));
        QTest::mouseClick(edit->findChild<QPushButton*>(QStringLiteral("1057")), Qt::LeftButton);
        QCOMPARE(f.dialogs.pickedFrom.back(), 0xFF0000);
        QCOMPARE(edit->ColorText(), QStringLiteral("00FF00"));
        edit->PickColor();  // cancelled: unchanged
        QCOMPARE(edit->ColorText(), QStringLiteral("00FF00"));
    }

    void emptyColourTakesTheHandleNameColour() {
        struct Case {
            const char* stored;
            QString shown;
            std::int32_t mapColor;
        };
        for (const Case& c :
             {Case{"0x00FF80", "00FF80", 0x80FF00}, Case{"0X0000ff", "0000ff", 0xFF0000},
              Case{nullptr, "000000", 0}, Case{"junk", "junk", 0}}) {
            Folder f;
            if (c.stored)
                test::TempDir::Write(
                    f.dir.File("Yarrow.ini"),
                    std::string("[InitialSetting]\r\nHandleNameColor=") + c.stored + "\r\n");
            auto dialog = f.Unit();
            dialog->show();
            QCOMPARE(dialog->ColorText(), c.shown);
            QCOMPARE(dialog->MapColor(), c.mapColor);
            // A colour already given is kept.
            auto given = f.Unit();
            given->SetColorText(QStringLiteral("ABCDEF"));
            given->show();
            QCOMPARE(given->ColorText(), QStringLiteral("ABCDEF"));
        }
    }

    void symbolFieldTakesFiftyCharactersAndRefusesNone() {
        Folder f;
        auto dialog = f.Unit();
        dialog->show();
        QTest::keyClick(dialog->SymbolField(), Qt::Key_Return);
        QCOMPARE(Messages(f.prompter), QStringList{QStringLiteral("シンボルが空です|エラー")});
        QCOMPARE(f.prompter.prompts[0].icon, PromptIcon::Stop);
        QVERIFY(dialog->isVisible());

        QTest::keyClicks(dialog->SymbolField(), QString(60, QLatin1Char('x')));
        QCOMPARE(dialog->SymbolField()->toPlainText(), QString(50, QLatin1Char('x')));
        QTest::keyClicks(dialog->SymbolField(), "y");
        QCOMPARE(dialog->SymbolField()->toPlainText().size(), 50);
        // Pasting keeps what fits; a long symbol being edited is cut too.
        dialog->SymbolField()->clear();
        dialog->SymbolField()->insertPlainText(QString(45, QLatin1Char('p')) + "0123456789");
        QCOMPARE(dialog->SymbolField()->toPlainText(), QString(45, QLatin1Char('p')) + "01234");
        dialog->SetSymbol(std::string(80, 'z'));
        QCOMPARE(dialog->Symbol(), std::string(50, 'z'));

        // Ctrl+Enter breaks the line, stored as two characters that count as
        // two; Enter then closes with OK.
        dialog->SymbolField()->clear();
        QTest::keyClicks(dialog->SymbolField(), QString(47, QLatin1Char('a')));
        QTest::keyClick(dialog->SymbolField(), Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(dialog->SymbolField(), "bcd");
        QTest::keyClick(dialog->SymbolField(), Qt::Key_Enter);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->Symbol(), std::string(47, 'a') + "\r\nb");

        // In label-edit mode an empty text is accepted (it removes the label).
        auto label = f.Unit(CUnitDlg::Mode::LabelEdit);
        label->show();
        label->SetLabelSize(7);  // out of the list: large
        QCOMPARE(label->LabelSize(), 0);
        label->accept();
        QCOMPARE(label->result(), int(QDialog::Accepted));
        QCOMPARE(f.prompter.prompts.size(), std::size_t{1});
    }

    void chipListShowsExistingBitmapsWithTheirNumbers() {
        test::TempDir dir;
        test::TempDir::Write(dir.File(kChipFileName),
                             "[ChipFile]\r\nChipNum=3\r\n0=a.bmp\r\n1=b.bmp\r\n2=c.bmp\r\n"
                             "[ChipName]\r\n0=" +
                                 Sjis("騎士") + "\r\n1=B\r\n2=" + Sjis("宝") + "\r\n");
        WriteBitmap(dir.File("a.bmp"));
        WriteBitmap(dir.File("c.bmp"));
        test::ScriptedPrompter prompter;
        CChipDlg dialog(dir.Folder(), prompter);
        QCOMPARE(dialog.ChipList()->count(), 2);
        // The first entry is selected with its name and preview.
        QCOMPARE(dialog.Chip(), 0);
        QCOMPARE(dialog.SymbolField()->text(), QStringLiteral("騎士"));
        QVERIFY(!dialog.Preview()->pixmap().isNull());

        // Selecting another chip replaces whatever was typed.
        dialog.SetSymbol(QStringLiteral("typed"));
        dialog.Select(1);
        QCOMPARE(dialog.Chip(), 2);
        QCOMPARE(dialog.Symbol(), Sjis("宝"));

        // OK with an empty symbol is refused and keeps the dialog open.
        dialog.show();
        dialog.SymbolField()->clear();
        QTest::keyClick(dialog.SymbolField(), Qt::Key_Return);
        QCOMPARE(Messages(prompter), QStringList{QStringLiteral("シンボルが空です|エラー")});
        QVERIFY(dialog.isVisible());
        dialog.SetSymbol(QStringLiteral("Chest"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Chip(), 2);

        // Without a chip file there is nothing to choose.
        test::TempDir empty;
        CChipDlg none(empty.Folder(), prompter);
        QCOMPARE(none.Chip(), -1);
        QVERIFY(none.Preview()->pixmap().isNull());
    }
};

QTEST_MAIN(MapDialogsQtTest)
#include "MapDialogsQtTest.moc"
