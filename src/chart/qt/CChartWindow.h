#pragma once
// The shared chart window ("表"): a modeless dialog owned by the chat view,
// created hidden once and afterwards only shown and hidden. Anyone may edit;
// editing announces a lock to the others, "更新" sends the whole chart, and
// any received chart lifts the lock. Control object names are their numbers.

#include <QDialog>
#include <memory>
#include <string>

#include "chart/CChartModel.h"
#include "chart/qt/IChartDialogs.h"
#include "net/DispatchTargets.h"

class QAction;
class QPushButton;
class QSpinBox;
class QTableView;

namespace yarrow {

class CChartTableModel;
class IChartHost;
class IPrompter;

class CChartWindow : public QDialog, public IChartTarget {
    Q_OBJECT
  public:
    // The host and the prompter outlive the window. Without `dialogs` the real
    // file and column dialogs are shown.
    CChartWindow(IChartHost& host, IPrompter& prompter, QWidget* parent = nullptr,
                 std::unique_ptr<IChartDialogs> dialogs = nullptr);
    ~CChartWindow() override;

    // Enters or leaves the locked state (only on a change): caption, the
    // update button's text and the editing controls follow.
    void SetChartLock(bool locked, const std::string& lockerName) override;
    // Tells the others that this participant is editing (only when connected).
    void AnnounceChartLock();
    // The "更新" button: forced unlock while locked, otherwise the chart to all.
    void SendChart();
    // Rebuilds the chart from a received `Chart` record and lifts the lock.
    // The dispatcher has already shown the window or noted the update.
    void ApplyChart(const CMsg& msg) override;
    bool IsChartShown() const override { return isVisible(); }
    void ShowChart() override { show(); }
    // The whole handling of a received `Chart` record, the own included, for
    // a host without the dispatcher: shows the hidden window (auto-show on) or
    // notes the update in the log, applies the record, and gives the keyboard
    // focus back to where it was.
    void ReceiveChart(const CMsg& msg);
    // A received `ChartLock` record: locks unless it is the own announcement.
    void ReceiveChartLock(const CMsg& msg);
    // Sizes every column to its widest cell text (at least 50 pixels).
    void FitColumns();
    void OpenChartFile();
    void SaveChartFile();

    // The editing commands behind the buttons, keys and menu items.
    void AddColumn();
    void AddRow();
    void DeleteSelectedRow();
    void MoveSelectedRowUp();
    void MoveSelectedRowDown();
    void DeleteColumns();
    void ResetChart();
    // Opens the in-place editor on a cell, as a double click does.
    void EditCell(int row, int column);

    const CChartModel& Model() const { return chart_; }
    QTableView* Grid() const { return grid_; }
    QSpinBox* NumberBox() const { return spin_; }
    QPushButton* UpdateButton() const { return update_; }

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int FirstSelectedRow() const;
    void ShowResult(const CChartResult& result);
    void TellTextReplaced();

    IChartHost& host_;
    IPrompter& prompter_;
    std::unique_ptr<IChartDialogs> dialogs_;
    CChartModel chart_;
    CChartTableModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QSpinBox* spin_ = nullptr;
    QPushButton* update_ = nullptr;
    QPushButton* addRow_ = nullptr;
    QPushButton* addColumn_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
};

}  // namespace yarrow
