// Message boxes, the generated tone and the Qt side of code page 932.
#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <cstdint>

#include "platform/Cp932.h"
#include "platform/qt/CQtPrompter.h"
#include "platform/qt/CQtSound.h"
#include "platform/qt/QtCp932.h"

using namespace yarrow;

namespace {

QStringList ButtonTexts(const QMessageBox& box) {
    QStringList texts;
    for (QAbstractButton* b : box.buttons()) {
        texts << b->text();
    }
    texts.sort();
    return texts;
}

}  // namespace

class CQtPrompterQtTest : public QObject {
    Q_OBJECT
  private slots:
    void boxesCarryTextsCaptionsIconsAndJapaneseButtons();
    void answersFollowTheClickedButton();
    void askRunsTheBoxAndReturnsTheAnswer();
    void sineWaveHasItsPitchLengthAndBounds();
    void cp932EdgeConversions();
};

void CQtPrompterQtTest::boxesCarryTextsCaptionsIconsAndJapaneseButtons() {
    auto box = CQtPrompter::BuildBox(nullptr, Sjis("ログをクリアします\r\nよろしいですか？"),
                                     Sjis("確認"), PromptIcon::Question, PromptButtons::YesNo);
    QCOMPARE(box->windowTitle(), QStringLiteral("確認"));
    QCOMPARE(box->text(), QStringLiteral("ログをクリアします\nよろしいですか？"));
    QCOMPARE(box->icon(), QMessageBox::Question);
    QCOMPARE(ButtonTexts(*box), (QStringList{"いいえ(&N)", "はい(&Y)"}));
    QCOMPARE(box->defaultButton()->text(), QStringLiteral("はい(&Y)"));

    const std::pair<PromptIcon, QMessageBox::Icon> icons[] = {
        {PromptIcon::None, QMessageBox::NoIcon},
        {PromptIcon::Information, QMessageBox::Information},
        {PromptIcon::Exclamation, QMessageBox::Warning},
        {PromptIcon::Stop, QMessageBox::Critical},
    };
    for (const auto& [icon, qtIcon] : icons) {
        QCOMPARE(CQtPrompter::BuildBox(nullptr, "x", "y", icon, PromptButtons::Ok)->icon(), qtIcon);
    }
    QCOMPARE(ButtonTexts(*CQtPrompter::BuildBox(nullptr, "", "", PromptIcon::None,
                                                PromptButtons::YesNoCancel)),
             (QStringList{"いいえ(&N)", "はい(&Y)", "キャンセル"}));
    // Texts are plain: markup-looking input is shown as typed.
    QCOMPARE(CQtPrompter::BuildBox(nullptr, "<b>x</b>", "", PromptIcon::None, PromptButtons::Ok)
                 ->textFormat(),
             Qt::PlainText);
}

void CQtPrompterQtTest::answersFollowTheClickedButton() {
    const auto clickAndAnswer = [](PromptButtons buttons, const QString& label) {
        auto box = CQtPrompter::BuildBox(nullptr, "", "", PromptIcon::None, buttons);
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == label) {
                b->click();
            }
        }
        return CQtPrompter::AnswerOf(*box);
    };
    QCOMPARE(clickAndAnswer(PromptButtons::YesNo, "はい(&Y)"), PromptAnswer::Yes);
    QCOMPARE(clickAndAnswer(PromptButtons::YesNo, "いいえ(&N)"), PromptAnswer::No);
    QCOMPARE(clickAndAnswer(PromptButtons::OkCancel, "キャンセル"), PromptAnswer::Cancel);
    QCOMPARE(clickAndAnswer(PromptButtons::Ok, "OK"), PromptAnswer::Ok);
    // Closed without a button: as Escape would answer.
    QCOMPARE(clickAndAnswer(PromptButtons::YesNo, "none"), PromptAnswer::No);
    QCOMPARE(clickAndAnswer(PromptButtons::YesNoCancel, "none"), PromptAnswer::Cancel);
}

void CQtPrompterQtTest::askRunsTheBoxAndReturnsTheAnswer() {
    CQtPrompter prompter;
    QString seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        seen = box->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QCOMPARE(prompter.Ask(Sjis("切断してもよろしいですか？"), Sjis("終了"), PromptIcon::Question,
                          PromptButtons::YesNo),
             PromptAnswer::No);
    QCOMPARE(seen, QStringLiteral("切断してもよろしいですか？"));
}

void CQtPrompterQtTest::sineWaveHasItsPitchLengthAndBounds() {
    const QByteArray pcm = CQtSound::SineWave(800, 300, 22050);
    const int samples = 22050 * 300 / 1000;
    QCOMPARE(pcm.size(), samples * 2);
    const auto* s = reinterpret_cast<const std::int16_t*>(pcm.constData());
    int crossings = 0;
    int peak = 0;
    for (int i = 1; i < samples; ++i) {
        crossings += (s[i - 1] < 0) != (s[i] < 0);
        peak = std::max(peak, std::abs(static_cast<int>(s[i])));
    }
    // 800 Hz for 0.3 s crosses zero about 480 times.
    QVERIFY2(std::abs(crossings - 480) <= 3, qPrintable(QString::number(crossings)));
    QVERIFY(peak > 12000 && peak <= 32767);
    QCOMPARE(static_cast<int>(s[0]), 0);  // faded in: no click
    QVERIFY(std::abs(static_cast<int>(s[samples - 1])) < 200);
    // An absurd request cannot allocate more than ten seconds of sound.
    QCOMPARE(CQtSound::SineWave(800, 1'000'000'000, 22050).size(), 22050 * 10 * 2);
    QCOMPARE(CQtSound::SineWave(800, -5, 22050).size(), 0);
}

void CQtPrompterQtTest::cp932EdgeConversions() {
    QCOMPARE(FromCp932(Sjis("ころころ……")), QStringLiteral("ころころ……"));
    const Cp932Conversion ok = ToCp932(QStringLiteral("ﾊﾞｯﾌｧ1"));
    QVERIFY(!ok.replaced);
    QCOMPARE(ok.text, Sjis("ﾊﾞｯﾌｧ1"));
    const Cp932Conversion lossy = ToCp932(QStringLiteral("a♥b"));
    QVERIFY(lossy.replaced);
    QCOMPARE(FromCp932(lossy.text), QStringLiteral("a〓b"));
    QCOMPARE(FromCp932(std::string("x\x81", 2)).left(1), QStringLiteral("x"));
}

QTEST_MAIN(CQtPrompterQtTest)
#include "CQtPrompterQtTest.moc"
