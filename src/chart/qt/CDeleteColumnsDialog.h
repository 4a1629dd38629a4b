#pragma once
// "列の削除": offers every column but the first for deletion. "削除" asks
// once for the whole selection; the dialog then closes as confirmed whatever
// the answer, taking the selection only on Yes.

#include <QDialog>
#include <QStringList>
#include <optional>
#include <vector>

class QListWidget;

namespace yarrow {

class IPrompter;

class CDeleteColumnsDialog : public QDialog {
    Q_OBJECT
  public:
    // `headers` are the headers of all columns; column 0 is never offered.
    CDeleteColumnsDialog(const QStringList& headers, IPrompter& prompter,
                         QWidget* parent = nullptr);

    QListWidget* List() const { return list_; }
    // The column positions taken after a confirmed close, lowest first.
    const std::vector<int>& Taken() const { return taken_; }

    // The "削除" button.
    void ConfirmDelete();

    // Runs the dialog; the columns to delete (maybe none), or nothing when
    // cancelled.
    static std::optional<std::vector<int>> Ask(const QStringList& headers, IPrompter& prompter,
                                               QWidget* parent);

  private:
    IPrompter& prompter_;
    QListWidget* list_ = nullptr;
    std::vector<int> taken_;
};

}  // namespace yarrow
