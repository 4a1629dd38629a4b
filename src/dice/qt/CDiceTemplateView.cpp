#include "dice/qt/CDiceTemplateView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/CProfileFile.h"
#include "platform/qt/QtCp932.h"

namespace yarrow {

CDiceTemplateView::CDiceTemplateView(std::string settingsPath, TemplateRoller roller,
                                     QWidget* parent)
    : QWidget(parent),
      settingsPath_(std::move(settingsPath)),
      roller_(std::move(roller)),
      groups_(new QComboBox(this)),
      list_(new QListWidget(this)),
      bonus_(new QSpinBox(this)) {
    groups_->setObjectName("groupBox");
    list_->setObjectName("templateList");
    bonus_->setObjectName("bonusBox");
    bonus_->setRange(-99, 99);
    bonus_->setValue(0);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // One column as wide as the list, never scrolled sideways.
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* bonusRow = new QHBoxLayout;
    bonusRow->addWidget(new QLabel(QStringLiteral("ボーナス"), this));
    bonusRow->addWidget(bonus_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(groups_);
    layout->addWidget(list_, 1);
    layout->addLayout(bonusRow);

    connect(groups_, &QComboBox::activated, this, [this](int index) { ShowGroup(index); });
    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { RollRow(list_->row(item)); });
}

void CDiceTemplateView::ShowGroup(int index) {
    entries_.clear();
    list_->clear();
    QSignalBlocker block(groups_);
    groups_->clear();

    const CProfileFile file(settingsPath_);
    const std::vector<std::string> names = ReadTemplateGroupNames(file);
    if (names.empty())
        return;
    for (const std::string& name : names)
        groups_->addItem(FromCp932(name));
    if (index < 0 || index >= static_cast<int>(names.size()))
        return;

    entries_ = ReadTemplateEntries(file, names[static_cast<std::size_t>(index)]);
    for (const TemplateEntry& entry : entries_)
        list_->addItem(FromCp932(TemplateDisplayText(entry)));
    groups_->setCurrentIndex(index);
}

bool CDiceTemplateView::RollRow(int row) {
    if (row < 0 || row >= static_cast<int>(entries_.size()) || !roller_)
        return false;
    return roller_(entries_[static_cast<std::size_t>(row)], bonus_->value());
}

void CDiceTemplateView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        ShowGroup(0);
    }
}

}  // namespace yarrow
