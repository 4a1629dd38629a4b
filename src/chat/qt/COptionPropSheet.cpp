#include "chat/qt/COptionPropSheet.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "chat/qt/CExtendedOptionPage.h"
#include "platform/IPrompter.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/FileDialogFilters.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {
namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

COptionPropSheet::COptionPropSheet(Context context, IPrompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter), fileChooser_(&COptionPropSheet::DefaultFileChooser) {
    setWindowTitle(Q("オプション"));
    path_ = FileExists(context.currentSettingsPath) ? context.currentSettingsPath
                                                    : context.defaultSettingsPath;

    auto* menuBar = new QMenuBar(this);
    QMenu* fileMenu = menuBar->addMenu(Q("ファイル(&F)"));
    QAction* open = fileMenu->addAction(Q("開く(&O)"));
    open->setObjectName(Q("32799"));
    QAction* saveAs = fileMenu->addAction(Q("名前を付けて保存(&S)"));
    saveAs->setObjectName(Q("32800"));
    connect(open, &QAction::triggered, this, &COptionPropSheet::OpenSettingsFile);
    connect(saveAs, &QAction::triggered, this, &COptionPropSheet::SaveSettingsFileAs);

    tabs_ = new QTabWidget(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(Q("キャンセル"));
    // Enter in a page's field must never close the sheet.
    for (QAbstractButton* b : buttons->buttons()) {
        if (auto* push = qobject_cast<QPushButton*>(b)) {
            push->setAutoDefault(false);
            push->setDefault(false);
        }
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionPropSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionPropSheet::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);

    basic_ = new CBasicOptionPage(context.basic, prompter_, context.checkDiceFormat,
                                  context.chooseColor, tabs_);
    extended_ = new CExtendedOptionPage(context.chooseColor, tabs_);
    CBasicOptionPage* basic = basic_;
    CExtendedOptionPage* extended = extended_;
    AddPage(
        basic_, Q("基本"), [basic](const std::string& p) { basic->Load(p); },
        [basic](const std::string& p) { return basic->Save(p); });
    AddPage(
        extended_, Q("拡張"), [extended](const std::string& p) { extended->Load(p); },
        [extended](const std::string& p) { return extended->Save(p); });
}

void COptionPropSheet::AddPage(QWidget* page, const QString& title, PageLoad load, PageSave save,
                               bool saveAs) {
    pages_.push_back(Page{page, std::move(load), std::move(save), saveAs});
    page->installEventFilter(this);
    tabs_->addTab(page, title);
}

bool COptionPropSheet::PageLoaded(int index) const {
    return index >= 0 && index < static_cast<int>(pages_.size()) && pages_[index].loaded;
}

void COptionPropSheet::EnsureLoaded(Page& page) {
    if (page.loaded)
        return;
    page.loaded = true;
    if (page.load)
        page.load(path_);
}

bool COptionPropSheet::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        for (Page& page : pages_) {
            if (page.widget == watched)
                EnsureLoaded(page);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void COptionPropSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QString COptionPropSheet::DefaultFileChooser(QWidget* parent, bool save) {
    QFileDialog dialog(parent);
    dialog.setDefaultSuffix(Q("ini"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(Q("iniファイル(*.ini)"));
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
        SetFileFilters(dialog, {Q("iniファイル(*.ini)"), kAllFilesFilter});
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

void COptionPropSheet::OpenSettingsFile() {
    QString chosen = fileChooser_(this, false);
    if (chosen.isEmpty())
        return;
    path_ = LocalPath(chosen);
    // Pages already showing read the new file now; the others read it when
    // they are first shown.
    for (Page& page : pages_) {
        if (page.loaded && page.load)
            page.load(path_);
    }
}

void COptionPropSheet::SaveSettingsFileAs() {
    QString chosen = fileChooser_(this, true);
    if (chosen.isEmpty())
        return;
    // A page the user has not opened yet still belongs in a complete copy:
    // it takes its values from the file being left before saving.
    for (Page& page : pages_) {
        if (page.saveAs)
            EnsureLoaded(page);
    }
    path_ = LocalPath(chosen);
    SaveShownPages(path_, true);
}

bool COptionPropSheet::SaveShownPages(const std::string& path, bool saveAsOnly) {
    bool ok = true;
    for (Page& page : pages_) {
        if (!page.loaded || !page.save || (saveAsOnly && !page.saveAs))
            continue;
        ok = page.save(path) && ok;
    }
    if (!ok) {
        static const std::string caption = Sjis("エラー");
        // File names on this system are UTF-8; the message box takes code page 932.
        prompter_.Tell(Sjis("設定を保存できません\r\n") + Utf8ToCp932(path).text, caption,
                       PromptIcon::Stop);
    }
    return ok;
}

void COptionPropSheet::accept() {
    // When the file cannot be written the sheet stays open, so the user can
    // save the settings elsewhere instead of losing them.
    if (!SaveShownPages(path_, false))
        return;
    QDialog::accept();
}

}  // namespace yarrow
