#include "map/qt/CUnitDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "map/MapTypes.h"
#include "map/qt/IMapDialogs.h"
#include "platform/Cp932.h"
#include "platform/IPrompter.h"
#include "platform/qt/QtCp932.h"
#include "settings/CSettings.h"

namespace yarrow {
namespace {

constexpr QChar kParagraph(0x2029);

}  // namespace

CUnitDlg::CUnitDlg(Mode mode, IPrompter& prompter, IMapDialogs& dialogs, std::string settingsPath,
                   QWidget* parent)
    : QDialog(parent),
      mode_(mode),
      prompter_(prompter),
      dialogs_(dialogs),
      settingsPath_(std::move(settingsPath)) {
    setObjectName(QStringLiteral("107"));
    setWindowTitle(mode == Mode::Unit ? QStringLiteral("ユニット追加")
                                      : QStringLiteral("ﾗﾍﾞﾙ編集"));

    auto* symbolCaption = new QLabel(QStringLiteral("ｼﾝﾎﾞﾙ　(Ctrl+Enterで改行)"), this);
    symbol_ = new QPlainTextEdit(this);
    symbol_->setObjectName(QStringLiteral("1055"));
    symbol_->setTabChangesFocus(true);
    symbol_->setAttribute(Qt::WA_InputMethodEnabled, true);
    symbol_->setFixedHeight(symbol_->fontMetrics().lineSpacing() * 3 + 12);
    symbol_->installEventFilter(this);
    symbolCaption->setBuddy(symbol_);
    connect(symbol_->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { LimitSymbol(position, added); });

    color_ = new QLineEdit(this);
    color_->setObjectName(QStringLiteral("1056"));
    color_->setMaxLength(6);
    color_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,6}")), color_));
    // Colour digits are typed with the input method off.
    color_->setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(color_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = color_->cursorPosition();
        color_->setText(text.toUpper());
        color_->setCursorPosition(cursor);
    });
    colorButton_ = new QPushButton(QStringLiteral("色"), this);
    colorButton_->setObjectName(QStringLiteral("1057"));
    colorButton_->setAutoDefault(false);
    connect(colorButton_, &QPushButton::clicked, this, &CUnitDlg::PickColor);

    asLabel_ = new QCheckBox(QStringLiteral("ラベルとして配置(&L)"), this);
    asLabel_->setObjectName(QStringLiteral("1074"));
    size_ = new QComboBox(this);
    size_->setObjectName(QStringLiteral("1109"));
    size_->addItems(
        {QStringLiteral("サイズ：大"), QStringLiteral("サイズ：中"), QStringLiteral("サイズ：小")});
    asLabel_->setVisible(mode == Mode::Unit);
    size_->setVisible(mode == Mode::LabelEdit);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CUnitDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CUnitDlg::reject);

    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(QStringLiteral("色"), this));
    colorRow->addWidget(color_, 1);
    colorRow->addWidget(colorButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(symbolCaption);
    layout->addWidget(symbol_);
    layout->addLayout(colorRow);
    layout->addWidget(asLabel_);
    layout->addWidget(size_);
    layout->addWidget(buttons);
    setSizeGripEnabled(false);
}

void CUnitDlg::SetSymbol(const std::string& cp932) {
    QString text = FromCp932(cp932);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    symbol_->setPlainText(text);
}

std::string CUnitDlg::Symbol() const {
    QString text = symbol_->toPlainText();
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return ToCp932(text).text;
}

void CUnitDlg::SetColorText(const QString& text) {
    color_->setText(text);
}

QString CUnitDlg::ColorText() const {
    return color_->text();
}

void CUnitDlg::SetMapColor(std::int32_t mapColor) {
    color_->setText(QString::fromStdString(MapColorText(mapColor)));
}

std::int32_t CUnitDlg::MapColor() const {
    return MapColorFromText(color_->text().toStdString());
}

void CUnitDlg::SetAsLabel(bool asLabel) {
    asLabel_->setChecked(asLabel);
}

bool CUnitDlg::AsLabel() const {
    return mode_ == Mode::Unit && asLabel_->isChecked();
}

void CUnitDlg::SetLabelSize(int index) {
    size_->setCurrentIndex(index >= 0 && index < size_->count() ? index : 0);
}

int CUnitDlg::LabelSize() const {
    return size_->currentIndex() < 0 ? 0 : size_->currentIndex();
}

void CUnitDlg::PickColor() {
    if (const auto chosen = dialogs_.PickColor(MapColor(), this)) {
        SetMapColor(*chosen);
    }
}

void CUnitDlg::accept() {
    if (mode_ == Mode::Unit && symbol_->toPlainText().isEmpty()) {
        static const std::string text = Sjis("シンボルが空です");
        static const std::string caption = Sjis("エラー");
        prompter_.Tell(text, caption, PromptIcon::Stop);
        symbol_->setFocus();
        return;
    }
    if (ToCp932(symbol_->toPlainText()).replaced) {
        prompter_.Tell(Sjis("シンボルに使えない文字を〓に置き換えました"), Sjis("警告"),
                       PromptIcon::Exclamation);
    }
    QDialog::accept();
}

void CUnitDlg::showEvent(QShowEvent* event) {
    if (color_->text().isEmpty()) {
        QString text = FromCp932(
            CSettings(settingsPath_).GetString(kInitialSetting, "HandleNameColor", "0x000000"));
        text.remove(QStringLiteral("0x"), Qt::CaseInsensitive);
        color_->setText(text);
    }
    QDialog::showEvent(event);
    symbol_->setFocus();
}

bool CUnitDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == symbol_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ControlModifier) {
                symbol_->insertPlainText(QStringLiteral("\n"));
            } else {
                accept();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int CUnitDlg::StoredLength(const QString& text) {
    return static_cast<int>(text.size() + text.count(QLatin1Char('\n')));
}

void CUnitDlg::LimitSymbol(int position, int added) {
    if (limiting_ || added <= 0) {
        return;
    }
    int excess = StoredLength(symbol_->toPlainText()) - kMaxSymbolChars;
    if (excess <= 0) {
        return;
    }
    // Typing or pasting past the limit keeps what fits of the new text.
    QTextDocument* document = symbol_->document();
    // A whole new text is reported with its closing paragraph mark, which is
    // not part of the text.
    const int end = std::min(position + added, document->characterCount() - 1);
    int start = end;
    while (excess > 0 && start > position) {
        --start;
        const QChar c = document->characterAt(start);
        excess -= (c == kParagraph || c == QLatin1Char('\n')) ? 2 : 1;
    }
    limiting_ = true;
    QTextCursor cursor(document);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    limiting_ = false;
}

}  // namespace yarrow
