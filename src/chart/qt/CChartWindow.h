#pragma once
// The shared chart window ("表"): a modeless dialog owned by the chat view,
// created hidden once and afterwards only shown and hidden. Anyone may edit;
// editing announces a lock to the others, "更新" sends the whole chart, and
// any received chart lifts the lock. Control object names are their numbers.

#include <QDialog>
#include <QPointer>
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
class IPrompter;
class ISessionPort;

class CChartWindow : public QDialog, public IChartTarget {
    Q_OBJECT
  public:
    // The session and the prompter outlive the window. Without `dialogs` the
    // real file and column dialogs are shown.
    CChartWindow(ISessionPort& session, IPrompter& prompter, QWidget* parent = nullptr,
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
    // Shown by a received chart: the window appears, but the keyboard focus
    // and the active window stay where the user was typing.
    void ShowChart() override;
    // The widget the window centres itself on when shown (its parent when
    // none is set).
    void SetCentreOn(QWidget* widget) { centreOn_ = widget; }
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

    ISessionPort& session_;
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
    QPointer<QWidget> centreOn_;
    unsigned received_ = 0;  // charts applied so far
};

}  // namespace yarrow
