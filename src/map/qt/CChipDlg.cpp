#include "map/qt/CChipDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {
namespace {

// The preview shows the chip at the size it is drawn on the map, enlarged.
constexpr int kPreviewSize = 19 * 3;

}  // namespace

CChipDlg::CChipDlg(const std::string& programFolder, IPrompter& prompter, QWidget* parent)
    : QDialog(parent), chips_(programFolder), prompter_(prompter) {
    setObjectName(QStringLiteral("123"));
    setWindowTitle(QStringLiteral("ﾁｯﾌﾟの配置"));

    symbol_ = new QLineEdit(this);
    symbol_->setObjectName(QStringLiteral("1060"));
    symbol_->setMaxLength(kMaxSymbolChars);
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("1058"));
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("1059"));
    preview_->setFixedSize(kPreviewSize + 4, kPreviewSize + 4);
    preview_->setFrameShape(QFrame::Box);
    preview_->setAlignment(Qt::AlignCenter);

    for (const CChipFile::ListEntry& entry : chips_.ExistingChips()) {
        list_->addItem(FromCp932(entry.fileName), entry.chip);
    }
    connect(list_, &QComboBox::currentIndexChanged, this, &CChipDlg::ShowSelection);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CChipDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CChipDlg::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(list_, 1);
    row->addWidget(preview_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("ｼﾝﾎﾞﾙ"), this));
    layout->addWidget(symbol_);
    layout->addLayout(row);
    layout->addWidget(buttons);

    if (list_->count() > 0) {
        list_->setCurrentIndex(0);
    }
    ShowSelection();
}

int CChipDlg::Chip() const {
    return list_->currentIndex() < 0 ? -1 : list_->currentData().toInt();
}

std::string CChipDlg::Symbol() const {
    return ToCp932(symbol_->text()).text;
}

void CChipDlg::SetSymbol(const QString& text) {
    symbol_->setText(text);
}

void CChipDlg::Select(int index) {
    list_->setCurrentIndex(index);
}

void CChipDlg::ShowSelection() {
    const int chip = Chip();
    if (chip < 0) {
        preview_->clear();
        return;
    }
    symbol_->setText(FromCp932(chips_.ChipName(chip)));
    const QPixmap bitmap(QFile::decodeName(QByteArray::fromStdString(chips_.BitmapPath(chip))));
    if (bitmap.isNull()) {
        // A file that is not a bitmap (or is cut short) shows no picture;
        // the box says so rather than staying empty.
        preview_->setText(QStringLiteral("画像を\n読めません"));
        return;
    }
    preview_->setPixmap(
        bitmap.scaled(kPreviewSize, kPreviewSize, Qt::KeepAspectRatio, Qt::FastTransformation));
}

void CChipDlg::accept() {
    if (symbol_->text().isEmpty()) {
        static const std::string text = Sjis("シンボルが空です");
        static const std::string caption = Sjis("エラー");
        prompter_.Tell(text, caption, PromptIcon::Stop);
        return;
    }
    if (ToCp932(symbol_->text()).replaced) {
        prompter_.Tell(Sjis("シンボルに使えない文字を〓に置き換えました"), Sjis("警告"),
                       PromptIcon::Exclamation);
    }
    QDialog::accept();
}

}  // namespace yarrow
