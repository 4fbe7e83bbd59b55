// Find in Project (Ctrl+Shift+F): the text and replacement, where to look and how to
// match, and the matches listed per topic with their context. The window runs the search
// and the replacement; the panel says what the writer asked for.
#pragma once

#include <QWidget>
#include <vector>

#include "uProjectSearch.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class TProjectFindPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TProjectFindPanel(QWidget* parent);
  // Puts the keyboard into the text box, its text selected.
  void FocusText();
  // What the boxes ask for; replacing adds the replacement.
  TProjectSearch Search(bool replacing) const;
  void ShowResults(const std::vector<TTopicMatches>& found);
  void ShowMessage(const QString& text);
  void Retranslate();

 signals:
  void FindRequested();
  void ReplaceRequested();
  // A match was chosen: open its topic at the match.
  void MatchChosen(const std::string& topicId, const std::string& matched, bool inPage);

 private:
  QLineEdit* FText;
  QLineEdit* FReplacement;
  QPushButton* FFind;
  QPushButton* FReplace;
  QCheckBox* FMatchCase;
  QCheckBox* FWholeWord;
  QCheckBox* FRegex;
  QLabel* FLookIn;
  QCheckBox* FTitles;
  QCheckBox* FBodies;
  QCheckBox* FHeaders;
  QCheckBox* FKeywords;
  QLabel* FSummary;
  QTreeWidget* FResults;
};
