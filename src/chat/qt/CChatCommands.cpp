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
#include "chat/InputRules.h"
#include "chat/qt/CInputLine.h"
#include "net/MsgType.h"
#include "platform/IPrompter.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {

CChatCommands::CChatCommands(Controls controls, IChatViewPort* view, CDebugCodes* debug,
                             QObject* parent)
    : QObject(parent), c_(controls), view_(view), debug_(debug) {
    if (c_.input != nullptr) {
        connect(c_.input, &CInputLine::BufferIndicatorChanged, this,
                [this](const QString& text) { emit StatusTextChanged(kBufferPane, text); });
        connect(c_.input, &CInputLine::ContextMenuOpened, this, [this] { copyTarget_ = c_.input; });
    }
}

const std::vector<int>& CChatCommands::Commands() {
    static const std::vector<int> commands = [] {
        std::vector<int> ids = {kResetMemberList,
                                kChangeDice,
                                kFirstPersonFilter,
                                kPleaseWait,
                                kToggleSpeaker,
                                kChooseHandleName,
                                kChooseSubHandleName,
                                kPreviousSubHandle,
                                kNextSubHandle,
                                kRollDice,
                                kInsertSizeTag,
                                kInsertColorTag,
                                kInsertHeart,
                                kSwapInputBuffers,
                                kDebugInput,
                                kEditCopy,
                                kEditCut,
                                kEditPaste,
                                kEditUndo};
        for (int i = 0; i < 9; ++i)
            ids.push_back(kRollListEntry1 + i);
        return ids;
    }();
    return commands;
}

QList<QKeySequence> CChatCommands::Shortcuts(int id) {
    if (id >= kRollListEntry1 && id < kRollListEntry1 + 9) {
        const auto digit = static_cast<Qt::Key>(Qt::Key_1 + (id - kRollListEntry1));
        return {QKeySequence(Qt::CTRL | digit),
                QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, digit))};
    }
    switch (id) {
        case kFirstPersonFilter:
            return {QKeySequence(Qt::CTRL | Qt::Key_F)};
        case kPleaseWait:
            return {QKeySequence(Qt::CTRL | Qt::Key_P)};
        case kToggleSpeaker:
            return {QKeySequence(Qt::CTRL | Qt::Key_N)};
        case kChooseHandleName:
            return {QKeySequence(Qt::CTRL | Qt::Key_Left)};
        case kChooseSubHandleName:
            return {QKeySequence(Qt::CTRL | Qt::Key_Right)};
        case kPreviousSubHandle:
            return {QKeySequence(Qt::CTRL | Qt::Key_Up)};
        case kNextSubHandle:
            return {QKeySequence(Qt::CTRL | Qt::Key_Down)};
        case kRollDice:
            return {QKeySequence(Qt::CTRL | Qt::Key_D),
                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D)};
        case kInsertSizeTag:
            return {QKeySequence(Qt::CTRL | Qt::Key_S)};
        case kInsertColorTag:
            return {QKeySequence(Qt::CTRL | Qt::Key_R)};
        case kInsertHeart:
            return {QKeySequence(Qt::CTRL | Qt::Key_H)};
        case kSwapInputBuffers:
            return {QKeySequence(Qt::CTRL | Qt::Key_B)};
        case kDebugInput:
            return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_D)};
        case kEditCopy:
            return {QKeySequence(Qt::CTRL | Qt::Key_Insert)};
        case kEditCut:
            return {QKeySequence(Qt::SHIFT | Qt::Key_Delete)};
        case kEditPaste:
            return {QKeySequence(Qt::SHIFT | Qt::Key_Insert)};
        case kEditUndo:
            return {QKeySequence(Qt::ALT | Qt::Key_Backspace), QKeySequence(Qt::CTRL | Qt::Key_Z)};
        default:
            return {};
    }
}

bool CChatCommands::Execute(int id, int notifyCode) {
    const auto& ids = Commands();
    if (std::find(ids.begin(), ids.end(), id) == ids.end())
        return false;
    if (debug_ != nullptr && view_ != nullptr) {
        const std::string trace = debug_->CommandTraceText(id, notifyCode);
        if (!trace.empty())
            view_->AppendNoticeLine(trace);
    }

    if (id >= kRollListEntry1 && id < kRollListEntry1 + 9) {
        RollListEntry(id - kRollListEntry1);
        return true;
    }
    switch (id) {
        case kResetMemberList:
            if (view_ != nullptr && members_ != nullptr && view_->IsConnected()) {
                RunMaintenanceCommand(*view_, *members_);
            }
            break;
        case kChangeDice:
            if (reseed_)
                reseed_();
            if (prompter_ != nullptr) {
                prompter_->Tell(Sjis("ダイスを交換しました"), Sjis("交換"),
                                PromptIcon::Information);
            }
            break;
        case kFirstPersonFilter:
            SetFilterOn(!FilterOn());
            break;
        case kPleaseWait:
            if (view_ != nullptr) {
                const std::string text = pleaseWait_ ? pleaseWait_() : DefaultPleaseWaitText();
                view_->SendChat(SpeakerName(), text, view_->MyColor(), LogBox);
            }
            break;
        case kToggleSpeaker:
            SetSubRadio(c_.subRadio == nullptr || !c_.subRadio->isChecked());
            break;
        case kChooseHandleName:
            SetSubRadio(false);
            break;
        case kChooseSubHandleName:
            SetSubRadio(true);
            break;
        case kPreviousSubHandle:
        case kNextSubHandle:
            if (c_.subCombo != nullptr && c_.subCombo->count() > 0) {
                const int count = c_.subCombo->count();
                const int current = c_.subCombo->currentIndex();
                c_.subCombo->setCurrentIndex(id == kPreviousSubHandle
                                                 ? PreviousSubHandleIndex(count, current)
                                                 : NextSubHandleIndex(count, current));
            }
            break;
        case kRollDice:
            emit RollDiceRequested();
            break;
        case kInsertSizeTag:
            if (c_.input != nullptr)
                c_.input->InsertSizeTags();
            break;
        case kInsertColorTag:
            if (c_.input != nullptr)
                c_.input->InsertColorTags();
            break;
        case kInsertHeart:
            if (c_.input != nullptr)
                c_.input->InsertHeart();
            break;
        case kSwapInputBuffers:
            if (c_.input != nullptr)
                c_.input->SwapBuffers();
            break;
        case kDebugInput:
            if (c_.input != nullptr && debug_ != nullptr) {
                debug_->BeginDebugInput(c_.input->State().debugInput);
            }
            break;
        case kEditCopy:
            if (copyTarget_ != nullptr)
                copyTarget_->copy();
            break;
        case kEditCut:
            if (c_.input != nullptr)
                c_.input->cut();
            break;
        case kEditPaste:
            if (c_.input != nullptr)
                c_.input->paste();
            break;
        case kEditUndo:
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
                               : view_ != nullptr       ? view_->MyName()
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
