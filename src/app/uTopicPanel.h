// The topic panel: the topic tree over the properties box and the style profile. It shows
// the project's tree, decides where a dragged topic would land and says through signals
// what the writer did; the window changes the project and rebuilds the panel.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QSplitter;
class QTreeWidgetItem;
class TDocProject;
class TTopic;
class TTopicPropertiesPanel;
class TTopicTree;

enum TDropMode { dmBefore, dmAfter, dmChild };

class TTopicPanel : public QWidget {
  Q_OBJECT

 public:
  // project gives the project the window holds now (opening one replaces it).
  TTopicPanel(std::function<const TDocProject&()> project, QWidget* parent);

  TTopicTree* Tree() const { return FTree; }
  TTopicPropertiesPanel* PropertiesBox() const { return FProperties; }

  // --- The tree ------------------------------------------------------------------------
  // Fills the tree from the project, silently; the branches the writer opened stay open and
  // no item is current.
  void Rebuild();
  std::string SelectedID() const;
  // Makes the topic's item current, as a click would (CurrentChanged follows).
  void Select(const std::string& id);
  void SelectFirst();
  // Makes the topic's item current (none for "") without CurrentChanged.
  void SelectQuietly(const std::string& id);
  // Sets an item's label without TitleEdited.
  void SetTitleQuietly(QTreeWidgetItem* item, const std::string& title);
  // Gives each topic's item the look of its exclusions (greyed, italic, a tooltip).
  void RefreshLooks();
  // Narrows the tree to the topics whose title holds the filter box's text (letter case
  // ignored), their ancestors kept; an empty box shows every topic.
  void ApplyFilter();

  // --- Drag and drop (positions are viewport coordinates of the tree) ------------------
  void StartDrag();
  // The thirds of the target's label decide the mode; false where the topic cannot go.
  bool DragOver(QTreeWidgetItem* target, int y);
  // Raises MoveRequested for a drop the last DragOver accepted.
  void Drop(QTreeWidgetItem* target, int y);
  TDropMode DropMode() const { return FDropMode; }

  // --- The properties box --------------------------------------------------------------
  // Whose properties the box shows; "" for none.
  const std::string& PropertiesTopicID() const { return FPropertiesTopicID; }
  void ShowProperties(const TTopic& topic);
  void ClearProperties();
  // Writes the box's values into the topic it shows; true when that changed the topic.
  bool StoreProperties(TDocProject& project) const;
  void FocusProperties();

  // --- The style profile ---------------------------------------------------------------
  // Lists the style sheets of the project's styles folder that the outputs can carry and
  // chooses the project's profile, silently.
  void FillStyleProfiles();
  std::string ChosenStyleProfile() const;

  // Puts the panel's texts in the current language.
  void Retranslate();

 signals:
  // The writer chose another topic (a click, the arrow keys, Select).
  void CurrentChanged();
  // The writer changed an item's label in place.
  void TitleEdited(QTreeWidgetItem* item);
  // A topic was dropped: it belongs under parent ("" for the top level) at index.
  void MoveRequested(const std::string& id, const std::string& parent, int index);
  void RemoveRequested();  // the Delete key
  void EditorRequested();  // Enter or a double-click: the keyboard goes to the page
  void ContextMenuRequested(const QPoint& globalPos);
  void PropertiesEdited();  // a field of the box, by the writer
  void ApplyClicked();
  void StyleProfileChosen();

 private:
  void ConnectTree();
  void AddTreeKey(const QList<QKeySequence>& keys, const std::function<void()>& action);
  QTreeWidgetItem* ItemOf(const std::string& id) const;

  std::function<const TDocProject&()> FProject;
  QSplitter* FSplitter;
  TTopicTree* FTree;
  class QLineEdit* FFilter;
  TTopicPropertiesPanel* FProperties;
  QLabel* FStyleLabel;
  QComboBox* FStyleBox;
  bool FQuiet = false;  // the tree is changed by the panel itself: no signals
  QTreeWidgetItem* FDragItem = nullptr;
  TDropMode FDropMode = dmBefore;
  std::string FPropertiesTopicID;
};
