// Message boxes and the generated tone.
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <cstdint>

#include "platform/Cp932.h"
#include "platform/qt/CQtPrompter.h"
#include "platform/qt/CQtSound.h"

using namespace yarrow;

class CQtPrompterQtTest : public QObject {
    Q_OBJECT
  private slots:
    void askShowsTheBoxAndAnswersWhatWasPressed();
    void sineWaveHasItsPitchLengthAndBounds();
};

// Each question as the user sees it: Japanese buttons, the first one the
// default, Escape or closing the box answering as its last button, the text
// shown as typed.
void CQtPrompterQtTest::askShowsTheBoxAndAnswersWhatWasPressed() {
    const QString yes = QStringLiteral("はい(&Y)"), no = QStringLiteral("いいえ(&N)");
    const QString ok = QStringLiteral("OK"), cancel = QStringLiteral("キャンセル");
    enum Press { Click, Escape, Return, Close };
    const struct {
        PromptButtons buttons;
        Press press;
        QString label;  // the button clicked
        PromptAnswer answer;
        QStringList labels;
    } cases[] = {
        {PromptButtons::YesNo, Click, yes, PromptAnswer::Yes, {yes, no}},
        {PromptButtons::YesNo, Click, no, PromptAnswer::No, {yes, no}},
        {PromptButtons::YesNo, Escape, {}, PromptAnswer::No, {yes, no}},
        {PromptButtons::YesNo, Return, {}, PromptAnswer::Yes, {yes, no}},
        {PromptButtons::YesNoCancel, Close, {}, PromptAnswer::Cancel, {yes, no, cancel}},
        {PromptButtons::OkCancel, Click, cancel, PromptAnswer::Cancel, {ok, cancel}},
        {PromptButtons::Ok, Escape, {}, PromptAnswer::Ok, {ok}},
    };
    CQtPrompter prompter;
    for (const auto& c : cases) {
        QStringList labels;
        QString title, text;
        bool plain = false, question = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            for (QAbstractButton* b : box->buttons())
                labels << b->text();
            title = box->windowTitle();
            text = box->text();
            plain = box->textFormat() == Qt::PlainText;
            question = box->icon() == QMessageBox::Question;
            if (c.press == Escape || c.press == Return)
                QTest::keyClick(box, c.press == Escape ? Qt::Key_Escape : Qt::Key_Return);
            else if (c.press == Close)
                box->close();
            for (QAbstractButton* b : box->buttons()) {
                if (c.press == Click && b->text() == c.label)
                    b->click();
            }
        });
        QCOMPARE(prompter.Ask(Sjis("<b>ログをクリアします</b>\r\nよろしいですか？"), Sjis("確認"),
                              PromptIcon::Question, c.buttons),
                 c.answer);
        labels.sort();
        QStringList expected = c.labels;
        expected.sort();
        QCOMPARE(labels, expected);
        QCOMPARE(title, QStringLiteral("確認"));
        QCOMPARE(text, QStringLiteral("<b>ログをクリアします</b>\nよろしいですか？"));
        QVERIFY(plain && question);
    }
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

QTEST_MAIN(CQtPrompterQtTest)
#include "CQtPrompterQtTest.moc"
