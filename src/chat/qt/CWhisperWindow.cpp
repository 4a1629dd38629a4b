#include "chat/qt/CWhisperWindow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>

#include "chat/InputRules.h"
#include "net/DispatchTargets.h"
#include "net/ISessionPort.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {

namespace {

constexpr int kListWidth = 120;

bool IsEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

CWhisperWindow::CWhisperWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("104"));
    setWindowTitle(QStringLiteral("秘話"));
    setModal(false);

    edit_ = new QPlainTextEdit(this);
    edit_->setObjectName(QStringLiteral("1014"));
    edit_->installEventFilter(this);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("1081"));
    list_->setFixedWidth(kListWidth);
    list_->installEventFilter(this);

    // The list keeps its width at the right edge; the text takes the rest.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(edit_, 1);
    layout->addWidget(list_, 0);
    resize(360, 120);
}

void CWhisperWindow::Attach(ISessionPort* session, IChatLogTarget* log,
                            const CMemberList* members) {
    session_ = session;
    log_ = log;
    members_ = members;
}

void CWhisperWindow::RefillMembers() {
    const std::int32_t myId = session_ != nullptr ? session_->MyID() : -1;
    checkedAway_.clear();
    ShowRows(members_ != nullptr ? members_->WhisperRows(myId, presetTarget_)
                                 : std::vector<WhisperRow>());
    presetTarget_ = -1;
}

void CWhisperWindow::UpdateMembers() {
    if (!isVisible() || members_ == nullptr)
        return;
    // A check belongs to an id under a name: a hub started anew gives its
    // ids out again, and a whisper meant for one member must not go to
    // another who now has the same id.
    std::set<CheckedMember> checked = checkedAway_;
    for (const WhisperRow& row : CheckedRows())
        checked.emplace(row.id, row.name);
    const std::int32_t myId = session_ != nullptr ? session_->MyID() : -1;
    std::vector<WhisperRow> rows = members_->WhisperRows(myId, -1);
    checkedAway_ = checked;
    for (WhisperRow& row : rows) {
        const CheckedMember member(row.id, row.name);
        row.checked = checked.count(member) != 0;
        checkedAway_.erase(member);
    }
    ShowRows(std::move(rows));
}

void CWhisperWindow::ShowRows(std::vector<WhisperRow> rows) {
    list_->clear();
    rows_ = std::move(rows);
    for (const WhisperRow& row : rows_) {
        auto* entry = new QListWidgetItem(FromCp932(row.name), list_);
        entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        entry->setCheckState(row.checked ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<WhisperRow> CWhisperWindow::CheckedRows() const {
    std::vector<WhisperRow> checked;
    for (int row = 0; row < list_->count() && row < static_cast<int>(rows_.size()); ++row) {
        if (list_->item(row)->checkState() == Qt::Checked) {
            WhisperRow entry = rows_[static_cast<std::size_t>(row)];
            entry.checked = true;
            checked.push_back(std::move(entry));
        }
    }
    return checked;
}

bool CWhisperWindow::SendWhisperNow() {
    QString text = edit_->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    bool sent = false;
    if (session_ != nullptr && log_ != nullptr) {
        const Cp932Conversion conversion = ToCp932(text);
        sent = SendWhisper(*session_, *log_, conversion.text, CheckedRows());
        // As for remarks: the whisper went out with "〓" in place of what
        // code page 932 cannot hold, and the sender is told so.
        if (sent && conversion.replaced)
            log_->AppendNoticeLine(UnsendableCharactersNotice());
    }
    edit_->clear();
    return sent;
}

void CWhisperWindow::Present() {
    RefillMembers();
    refilled_ = true;
    show();
    refilled_ = false;
    raise();
    activateWindow();
}

void CWhisperWindow::showEvent(QShowEvent* event) {
    // Shown by other means (the frame's modeless-window command): refill too.
    if (!event->spontaneous() && !refilled_)
        RefillMembers();
    QDialog::showEvent(event);
    edit_->setFocus();
}

bool CWhisperWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnter(key)) {
            if (watched == edit_ && (key->modifiers() & Qt::ControlModifier)) {
                edit_->textCursor().insertText(QStringLiteral("\n"));
            } else if (watched == edit_) {
                SendWhisperNow();
            }
            // Enter elsewhere is swallowed.
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CWhisperWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        event->accept();
        return;
    }
    if (IsEnter(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace yarrow
