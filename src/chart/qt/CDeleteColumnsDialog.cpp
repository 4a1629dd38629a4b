#include "chart/qt/CDeleteColumnsDialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/IPrompter.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {

CDeleteColumnsDialog::CDeleteColumnsDialog(const QStringList& headers, IPrompter& prompter,
                                           QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
    setObjectName(QStringLiteral("111"));
    setWindowTitle(QStringLiteral("列の削除"));
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (qsizetype i = 1; i < headers.size(); ++i)
        list_->addItem(headers.at(i));

    auto* remove = new QPushButton(QStringLiteral("削除"), this);
    remove->setObjectName(QStringLiteral("remove"));
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(remove, &QPushButton::clicked, this, &CDeleteColumnsDialog::ConfirmDelete);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(remove);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
}

void CDeleteColumnsDialog::ConfirmDelete() {
    std::vector<int> selected;
    for (const QListWidgetItem* item : list_->selectedItems()) {
        selected.push_back(list_->row(item) + 1);  // the list starts at column 1
    }
    std::sort(selected.begin(), selected.end());
    taken_.clear();
    if (!selected.empty()) {
        const QString question =
            QStringLiteral("これら%1個の列を削除してもよろしいですか？").arg(selected.size());
        if (prompter_.Ask(ToCp932(question).text, Sjis("列の削除"), PromptIcon::Question,
                          PromptButtons::YesNo) == PromptAnswer::Yes) {
            taken_ = std::move(selected);
        }
    }
    accept();
}

std::optional<std::vector<int>> CDeleteColumnsDialog::Ask(const QStringList& headers,
                                                          IPrompter& prompter, QWidget* parent) {
    CDeleteColumnsDialog dialog(headers, prompter, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Taken();
}

}  // namespace yarrow
