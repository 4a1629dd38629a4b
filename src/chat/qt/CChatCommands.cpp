#include "chat/qt/CChatCommands.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QUrl>

#include "chat/CDebugCodes.h"
#include "chat/CMemberList.h"
#include "chat/CommandIds.h"
#include "chat/InputRules.h"
#include "chat/qt/CInputLine.h"
#include "net/ISessionPort.h"
#include "net/MsgType.h"
#include "platform/IPrompter.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {

CChatCommands::CChatCommands(Controls controls, ISessionPort* session, CDebugCodes* debug,
                             QObject* parent)
    : QObject(parent), c_(controls), session_(session), debug_(debug) {
    if (c_.input != nullptr) {
        copyTarget_ = c_.input;
        // These keys are commands also while the input line has the focus.
        QList<QKeySequence> keys;
        for (int id : Commands())
            keys += Shortcuts(id);
        c_.input->SetCommandKeys(keys);
        connect(c_.input, &CInputLine::BufferIndicatorChanged, this,
                [this](const QString& text) { emit StatusTextChanged(kBufferPane, text); });
        connect(c_.input, &CInputLine::ContextMenuOpened, this, [this] { copyTarget_ = c_.input; });
    }
}

const std::vector<int>& CChatCommands::Commands() {
    static const std::vector<int> commands = [] {
        std::vector<int> ids = {cmd::kResetMemberList,
                                cmd::kChangeDice,
                                cmd::kFirstPersonFilter,
                                cmd::kPleaseWait,
                                cmd::kToggleSpeaker,
                                cmd::kChooseHandleName,
                                cmd::kChooseSubHandleName,
                                cmd::kPreviousSubHandle,
                                cmd::kNextSubHandle,
                                cmd::kRollDice,
                                cmd::kInsertSizeTag,
                                cmd::kInsertColorTag,
                                cmd::kInsertHeart,
                                cmd::kSwapInputBuffers,
                                cmd::kDebugInput,
                                cmd::kEditCopy,
                                cmd::kEditCut,
                                cmd::kEditPaste,
                                cmd::kEditUndo};
        for (int i = 0; i < 9; ++i)
            ids.push_back(cmd::kRollListEntry1 + i);
        return ids;
    }();
    return commands;
}

QList<QKeySequence> CChatCommands::Shortcuts(int id) {
    if (id >= cmd::kRollListEntry1 && id < cmd::kRollListEntry1 + 9) {
        const auto digit = static_cast<Qt::Key>(Qt::Key_1 + (id - cmd::kRollListEntry1));
        return {QKeySequence(Qt::CTRL | digit),
                QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, digit))};
    }
    switch (id) {
        case cmd::kFirstPersonFilter:
            return {QKeySequence(Qt::CTRL | Qt::Key_F)};
        case cmd::kPleaseWait:
            return {QKeySequence(Qt::CTRL | Qt::Key_P)};
        case cmd::kToggleSpeaker:
            return {QKeySequence(Qt::CTRL | Qt::Key_N)};
        case cmd::kChooseHandleName:
            return {QKeySequence(Qt::CTRL | Qt::Key_Left)};
        case cmd::kChooseSubHandleName:
            return {QKeySequence(Qt::CTRL | Qt::Key_Right)};
        case cmd::kPreviousSubHandle:
            return {QKeySequence(Qt::CTRL | Qt::Key_Up)};
        case cmd::kNextSubHandle:
            return {QKeySequence(Qt::CTRL | Qt::Key_Down)};
        case cmd::kRollDice:
            return {QKeySequence(Qt::CTRL | Qt::Key_D),
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D)};
        case cmd::kInsertSizeTag:
            return {QKeySequence(Qt::CTRL | Qt::Key_S)};
        case cmd::kInsertColorTag:
            return {QKeySequence(Qt::CTRL | Qt::Key_R)};
        case cmd::kInsertHeart:
            return {QKeySequence(Qt::CTRL | Qt::Key_H)};
        case cmd::kSwapInputBuffers:
            return {QKeySequence(Qt::CTRL | Qt::Key_B)};
        case cmd::kDebugInput:
            return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_D)};
        case cmd::kEditCopy:
            return {QKeySequence(Qt::CTRL | Qt::Key_Insert)};
        case cmd::kEditCut:
            return {QKeySequence(Qt::SHIFT | Qt::Key_Delete)};
        case cmd::kEditPaste:
            return {QKeySequence(Qt::SHIFT | Qt::Key_Insert)};
        case cmd::kEditUndo:
            return {QKeySequence(Qt::ALT | Qt::Key_Backspace), QKeySequence(Qt::CTRL | Qt::Key_Z)};
        default:
            return {};
    }
}

bool CChatCommands::Execute(int id) {
    const auto& ids = Commands();
    if (std::find(ids.begin(), ids.end(), id) == ids.end())
        return false;

    if (id >= cmd::kRollListEntry1 && id < cmd::kRollListEntry1 + 9) {
        RollListEntry(id - cmd::kRollListEntry1);
        return true;
    }
    switch (id) {
        case cmd::kResetMemberList:
            if (session_ != nullptr && members_ != nullptr && session_->IsConnected()) {
                RunMaintenanceCommand(*session_, *members_);
            }
            break;
        case cmd::kChangeDice:
            if (reseed_)
                reseed_();
            if (prompter_ != nullptr) {
                prompter_->Tell(Sjis("ダイスを交換しました"), Sjis("交換"),
                                PromptIcon::Information);
            }
            break;
        case cmd::kFirstPersonFilter:
            SetFilterOn(!FilterOn());
            break;
        case cmd::kPleaseWait:
            if (session_ != nullptr) {
                const std::string text = pleaseWait_ ? pleaseWait_() : DefaultPleaseWaitText();
                session_->SendChat(SpeakerName(), text, session_->MyColor(), LogBox);
            }
            break;
        case cmd::kToggleSpeaker:
            SetSubRadio(c_.subRadio == nullptr || !c_.subRadio->isChecked());
            break;
        case cmd::kChooseHandleName:
            SetSubRadio(false);
            break;
        case cmd::kChooseSubHandleName:
            SetSubRadio(true);
            break;
        case cmd::kPreviousSubHandle:
        case cmd::kNextSubHandle:
            if (c_.subCombo != nullptr && c_.subCombo->count() > 0) {
                const int count = c_.subCombo->count();
                const int current = c_.subCombo->currentIndex();
                c_.subCombo->setCurrentIndex(id == cmd::kPreviousSubHandle
                                                 ? PreviousSubHandleIndex(count, current)
                                                 : NextSubHandleIndex(count, current));
            }
            break;
        case cmd::kRollDice:
            emit RollDiceRequested();
            break;
        case cmd::kInsertSizeTag:
            if (c_.input != nullptr)
                c_.input->InsertSizeTags();
            break;
        case cmd::kInsertColorTag:
            if (c_.input != nullptr)
                c_.input->InsertColorTags();
            break;
        case cmd::kInsertHeart:
            if (c_.input != nullptr)
                c_.input->InsertHeart();
            break;
        case cmd::kSwapInputBuffers:
            if (c_.input != nullptr)
                c_.input->SwapBuffers();
            break;
        case cmd::kDebugInput:
            if (c_.input != nullptr && debug_ != nullptr) {
                debug_->BeginDebugInput(c_.input->State().debugInput);
            }
            break;
        case cmd::kEditCopy:
            if (copyTarget_ != nullptr)
                copyTarget_->copy();
            break;
        case cmd::kEditCut:
            if (c_.input != nullptr)
                c_.input->cut();
            break;
        case cmd::kEditPaste:
            if (c_.input != nullptr)
                c_.input->paste();
            break;
        case cmd::kEditUndo:
            if (c_.input != nullptr)
                c_.input->undo();
            break;
        default:
            break;
    }
    return true;
}

void CChatCommands::InstallEnterHandling(QWidget* chatView) {
    chatView_ = chatView;
    if (chatView != nullptr)
        chatView->installEventFilter(this);
    if (c_.diceCombo != nullptr) {
        c_.diceCombo->installEventFilter(this);
        if (c_.diceCombo->lineEdit() != nullptr)
            c_.diceCombo->lineEdit()->installEventFilter(this);
    }
}

bool CChatCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
        return QObject::eventFilter(watched, event);
    }
    const bool inDice =
        c_.diceCombo != nullptr && (watched == c_.diceCombo || watched == c_.diceCombo->lineEdit());
    if (!inDice && watched != chatView_)
        return QObject::eventFilter(watched, event);
    if (inDice)
        emit RollDiceRequested();
    if (c_.input != nullptr)
        c_.input->State().debugInput = false;
    return true;
}

QMenu* CChatCommands::BuildLogContextMenu(QTextEdit* log, QWidget* parent) {
    copyTarget_ = log;
    auto* menu = new QMenu(parent);
    const QString selected = log->textCursor().selectedText();
    QAction* copyAction =
        menu->addAction(QStringLiteral("コピー(&C)\tCtrl+C"), log, &QTextEdit::copy);
    copyAction->setEnabled(!selected.isEmpty());
    QAction* urlAction = menu->addAction(QStringLiteral("URLへ移動(&U)"), this,
                                         [this, log] { OpenSelectedUrl(log); });
    urlAction->setEnabled(!selected.isEmpty() && selected.contains(QStringLiteral("http://")));
    return menu;
}

QMenu* CChatCommands::BuildInputContextMenu(QWidget* parent) {
    if (c_.input == nullptr)
        return new QMenu(parent);
    copyTarget_ = c_.input;
    return c_.input->BuildContextMenu(parent);
}

bool CChatCommands::OpenSelectedUrl(QTextEdit* log) {
    QString selected = log->textCursor().selectedText();
    // The editor separates paragraphs with U+2029 in selections.
    selected.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    const auto url = ExtractUrl(ToCp932(selected).text);
    if (!url)
        return false;
    const QString address = FromCp932(*url);
    if (openUrl_) {
        openUrl_(address);
    } else {
        QDesktopServices::openUrl(QUrl(address));
    }
    return true;
}

std::string CChatCommands::SpeakerName() {
    const std::string handle = c_.handleName != nullptr ? ToCp932(c_.handleName->text()).text
                               : session_ != nullptr    ? session_->MyName()
                                                        : std::string();
    if (c_.subCombo == nullptr)
        return handle;
    SubHandleChoice choice;
    for (int i = 0; i < c_.subCombo->count(); ++i) {
        choice.items.push_back(ToCp932(c_.subCombo->itemText(i)).text);
    }
    const QString current = c_.subCombo->currentText();
    const int index = c_.subCombo->currentIndex();
    // An editable combo keeps its index while the user types over the text;
    // the typed text counts as "no item selected".
    choice.selected = index >= 0 && c_.subCombo->itemText(index) == current ? index : -1;
    choice.subRadio = c_.subRadio != nullptr && c_.subRadio->isChecked();
    choice.text = ToCp932(current).text;
    const std::size_t before = choice.items.size();
    std::string name = ResolveSpeakerName(handle, choice);
    if (choice.items.size() > before)
        c_.subCombo->addItem(current);
    if (choice.selected >= 0 && choice.selected != index) {
        c_.subCombo->setCurrentIndex(choice.selected);
    }
    return name;
}

bool CChatCommands::RollListEntry(int n) {
    if (c_.diceCombo == nullptr || n < 0 || n >= c_.diceCombo->count())
        return false;
    c_.diceCombo->setCurrentIndex(n);
    emit RollDiceRequested();
    return true;
}

bool CChatCommands::FilterOn() const {
    return c_.input != nullptr && c_.input->State().filter.on;
}

void CChatCommands::SetFilterOn(bool on) {
    if (c_.input != nullptr)
        c_.input->SetFilterOn(on);
    emit StatusTextChanged(kFilterPane, FromCp932(FilterIndicatorText(on)));
}

void CChatCommands::SetSubRadio(bool sub) {
    if (c_.subRadio != nullptr)
        c_.subRadio->setChecked(sub);
    if (c_.handleRadio != nullptr)
        c_.handleRadio->setChecked(!sub);
}

}  // namespace yarrow
