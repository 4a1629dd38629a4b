#include "platform/qt/CQtPrompter.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include "platform/qt/QtCp932.h"

namespace yarrow {

namespace {

const char* const kAnswerProperty = "yarrowAnswer";

QMessageBox::Icon ToQtIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::Exclamation:
            return QMessageBox::Warning;
        case PromptIcon::Stop:
            return QMessageBox::Critical;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QPushButton* AddButton(QMessageBox& box, const QString& label, QMessageBox::ButtonRole role,
                       PromptAnswer answer) {
    QPushButton* button = box.addButton(label, role);
    button->setProperty(kAnswerProperty, static_cast<int>(answer));
    return button;
}

// Texts from the core end their lines with CR LF; a message box wants LF.
QString BoxText(const std::string& cp932) {
    QString text = FromCp932(cp932);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

}  // namespace

CQtPrompter::CQtPrompter(QWidget* parent) : parent_(parent) {}

std::unique_ptr<QMessageBox> CQtPrompter::BuildBox(QWidget* parent, const std::string& text,
                                                   const std::string& caption, PromptIcon icon,
                                                   PromptButtons buttons) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(FromCp932(caption));
    box->setTextFormat(Qt::PlainText);
    box->setText(BoxText(text));
    box->setIcon(ToQtIcon(icon));

    const QString ok = QStringLiteral("OK");
    const QString cancel = QStringLiteral("キャンセル");
    const QString yes = QStringLiteral("はい(&Y)");
    const QString no = QStringLiteral("いいえ(&N)");
    QPushButton* first = nullptr;
    QPushButton* escape = nullptr;
    switch (buttons) {
        case PromptButtons::Ok:
            first = escape = AddButton(*box, ok, QMessageBox::AcceptRole, PromptAnswer::Ok);
            break;
        case PromptButtons::OkCancel:
            first = AddButton(*box, ok, QMessageBox::AcceptRole, PromptAnswer::Ok);
            escape = AddButton(*box, cancel, QMessageBox::RejectRole, PromptAnswer::Cancel);
            break;
        case PromptButtons::YesNo:
            first = AddButton(*box, yes, QMessageBox::YesRole, PromptAnswer::Yes);
            escape = AddButton(*box, no, QMessageBox::NoRole, PromptAnswer::No);
            break;
        case PromptButtons::YesNoCancel:
            first = AddButton(*box, yes, QMessageBox::YesRole, PromptAnswer::Yes);
            AddButton(*box, no, QMessageBox::NoRole, PromptAnswer::No);
            escape = AddButton(*box, cancel, QMessageBox::RejectRole, PromptAnswer::Cancel);
            break;
    }
    box->setDefaultButton(first);
    box->setEscapeButton(escape);
    return box;
}

PromptAnswer CQtPrompter::AnswerOf(const QMessageBox& box) {
    if (const QAbstractButton* clicked = box.clickedButton()) {
        const QVariant answer = clicked->property(kAnswerProperty);
        if (answer.isValid()) {
            return static_cast<PromptAnswer>(answer.toInt());
        }
    }
    if (const QAbstractButton* escape = box.escapeButton()) {
        return static_cast<PromptAnswer>(escape->property(kAnswerProperty).toInt());
    }
    return PromptAnswer::No;
}

PromptAnswer CQtPrompter::Ask(const std::string& text, const std::string& caption, PromptIcon icon,
                              PromptButtons buttons) {
    std::unique_ptr<QMessageBox> box = BuildBox(parent_.data(), text, caption, icon, buttons);
    box->exec();
    return AnswerOf(*box);
}

}  // namespace yarrow
