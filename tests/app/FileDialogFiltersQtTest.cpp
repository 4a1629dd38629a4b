// The program's file dialogs, as the user meets them: the filters read as
// written, and "すべてのファイル(*.*)" shows every file, names without a dot too.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "chart/qt/CChartDialogs.h"
#include "chat/qt/COptionPropSheet.h"
#include "map/qt/CMapDialogs.h"
#include "platform/TempDir.h"
#include "settings/DefaultSettings.h"
#include "support/ScriptedPrompter.h"

using namespace yarrow;

class FileDialogFiltersQtTest : public QObject {
    Q_OBJECT
  private slots:
    void everyDialogsLastFilterShowsEveryFile();
};

void FileDialogFiltersQtTest::everyDialogsLastFilterShowsEveryFile() {
    test::TempDir dir;
    QVERIFY(!CreateDefaultSettings(dir.Folder()).failed());
    test::ScriptedPrompter prompter;
    COptionPropSheet::Context context;
    context.currentSettingsPath = dir.File("Yarrow.ini");
    context.defaultSettingsPath = context.currentSettingsPath;
    COptionPropSheet options(context, prompter);
    CChartDialogs chart;
    CMapDialogs map;
    const QString all = QStringLiteral("すべてのファイル(*.*)");
    const struct {
        const char* dialog;
        std::function<void()> run;
        QString first;    // the dialog's own filter
        QString ownFile;  // a name the own filter shows
    } cases[] = {
        {"chart open", [&] { chart.OpenFileName(nullptr); }, QStringLiteral("Chartファイル(*.cht)"),
         QStringLiteral("a.cht")},
        {"chart save", [&] { chart.SaveFileName(nullptr); }, QStringLiteral("Chartファイル(*.cht)"),
         QStringLiteral("a.cht")},
        {"map open", [&] { map.OpenMapFileName(nullptr); }, QStringLiteral("Mapファイル(*.map)"),
         QStringLiteral("a.map")},
        {"map save", [&] { map.SaveMapFileName("", nullptr); },
         QStringLiteral("Mapファイル(*.map)"), QStringLiteral("a.map")},
        {"snapshot", [&] { map.SnapshotFileName(nullptr); }, QStringLiteral("bmpファイル(*.bmp)"),
         QStringLiteral("a.bmp")},
        {"settings open", [&] { options.OpenSettingsFile(); }, QStringLiteral("iniファイル(*.ini)"),
         QStringLiteral("a.ini")},
    };
    for (const auto& c : cases) {
        bool seen = false;
        const auto check = [&](QFileDialog& dialog) {
            auto* combo = dialog.findChild<QComboBox*>("fileTypeCombo");
            auto* model = dialog.findChild<QFileSystemModel*>();
            QVERIFY(combo != nullptr && model != nullptr);
            seen = true;
            QStringList shown;
            for (int i = 0; i < combo->count(); ++i)
                shown.append(combo->itemText(i));
            QCOMPARE(shown, QStringList({c.first, all}));
            // The dialog's own filter first, then every file, picked as the
            // user picks it, with the keyboard.
            QVERIFY(QDir::match(model->nameFilters(), c.ownFile));
            QVERIFY(!QDir::match(model->nameFilters(), QStringLiteral("README")));
            QTest::keyClick(combo, Qt::Key_End);
            QCOMPARE(combo->currentText(), all);
            for (const QString& name :
                 {QStringLiteral("README"), QStringLiteral("a.txt"), c.ownFile})
                QVERIFY2(QDir::match(model->nameFilters(), name), qPrintable(name));
        };
        QTimer::singleShot(0, [&] {
            // Whatever the checks find, the dialog closes, so the test goes on.
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                check(*dialog);
                dialog->reject();
            }
        });
        c.run();
        QVERIFY2(seen, c.dialog);
        if (QTest::currentTestFailed()) {
            qWarning("in the %s dialog", c.dialog);
            return;
        }
    }
}

QTEST_MAIN(FileDialogFiltersQtTest)
#include "FileDialogFiltersQtTest.moc"
