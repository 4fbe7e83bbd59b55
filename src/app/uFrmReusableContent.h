// The "Variables, snippets and conditions" dialog: three editable grids over one
// reusable-content store, and the buttons that save and ask for a token to insert.
#pragma once

#include <QDialog>
#include <QObject>
#include <QTableWidget>
#include <functional>
#include <string>
#include <vector>

#include "uReusableContent.h"

class QLabel;
class QPushButton;
class QTabWidget;

// The values with which the dialog closes.
enum TReusableDialogResult {
  rrSave = 1,
  rrCancel = 2,
  rrInsertVariable = 101,
  rrInsertSnippet = 102,
  rrInsertBeginCondition = 103,
  rrInsertEndCondition = 104,
};

// Keeps the insert buttons in step with the visible tab. Owned by the dialog.
class TReusableTabButtonGuard : public QObject {
  Q_OBJECT

 public:
  explicit TReusableTabButtonGuard(QObject* owner) : QObject(owner) {}

  void PageChanged(QObject* sender);
  // Only the buttons of the visible tab are enabled.
  void UpdateButtons();

  QTabWidget* Pages = nullptr;
  QWidget* TsVars = nullptr;
  QWidget* TsSnips = nullptr;
  QWidget* TsConds = nullptr;
  QPushButton* BtnInsVar = nullptr;
  QPushButton* BtnInsSnip = nullptr;
  QPushButton* BtnInsCondBegin = nullptr;
  QPushButton* BtnInsCondEnd = nullptr;
};

// A two-column grid of plain texts. Rows are the data rows; the column captions are the
// fixed header above them.
class TReusableGrid : public QTableWidget {
  Q_OBJECT

 public:
  explicit TReusableGrid(QWidget* parent);
  QString Cell(int row, int column) const;
  void SetCell(int row, int column, const QString& text);
  // Hands the text of an open cell editor to the grid, so a save sees what was typed.
  void CommitOpenEditor();

 protected:
  // Delete on a cell whose editor is closed (after Enter) empties the cell.
  void keyPressEvent(QKeyEvent* event) override;
};

class TfrmReusableContent : public QDialog {
  Q_OBJECT

 public:
  // Saves the store that the dialog has just filled; false keeps the dialog open (the
  // handler has told the user why).
  using TSaveHandler = std::function<bool()>;

  TfrmReusableContent(QWidget* owner, TReusableProjectContent& store);

  void SetSaveHandler(TSaveHandler handler) { FSaveHandler = std::move(handler); }
  // Writes the store's entries into the grids, from the first row on.
  void FillGrids();
  // Replaces the store's entries with the named rows of the three grids.
  void SaveGridsToStore();
  // The token text a result asks for; empty with the message set when the current row
  // of that tab has no name, empty without a message for Save and Cancel.
  std::string TokenForResult(int result, std::string& missingNameMessage) const;
  // The help sentences of one tab (0 Variables, 1 Snippets, 2 Conditions), in English.
  static std::vector<std::string> HelpSentences(int tab);

  // Esc and the close box discard the edits.
  void reject() override { done(rrCancel); }

  QTabWidget* Pages = nullptr;
  QWidget* TsVars = nullptr;
  QWidget* TsSnips = nullptr;
  QWidget* TsConds = nullptr;
  QLabel* lblVarsHelp = nullptr;
  QLabel* lblSnipsHelp = nullptr;
  QLabel* lblCondsHelp = nullptr;
  TReusableGrid* grdVars = nullptr;
  TReusableGrid* grdSnips = nullptr;
  TReusableGrid* grdConds = nullptr;
  QWidget* pnlBottom = nullptr;
  QPushButton* btnInsVar = nullptr;
  QPushButton* btnInsSnip = nullptr;
  QPushButton* btnInsCondBegin = nullptr;
  QPushButton* btnInsCondEnd = nullptr;
  QPushButton* btnSave = nullptr;
  QPushButton* btnCancel = nullptr;
  TReusableTabButtonGuard* TabGuard = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  int Scaled(int px) const;
  int TextHeight() const;
  void SetInitialSize(QWidget* owner);
  QWidget* CreateTab(const QString& caption, const std::vector<std::string>& help, const QStringList& headers,
                     QLabel*& label, TReusableGrid*& grid);
  void CreateBottomPanel();
  QPushButton* AddButton(const QString& caption, int left, int width);
  void PlaceButtons();
  void ApplyColumnWidths(int clientWidth);
  void CloseWith(int result);

  TReusableProjectContent& FStore;
  TSaveHandler FSaveHandler;
  bool FColumnsSized = false;
};
