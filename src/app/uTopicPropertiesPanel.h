// The properties box under the topic tree: a topic's keywords, index entries,
// exclusions, the condition it is published under, and the help ID and alias a program opens it by. It shows one
// topic's values and says when the writer edits them; the window decides which topic they belong to.
#pragma once

#include <QGroupBox>

#include "uDocModel.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

// What the panel holds: lines trimmed, blank lines dropped.
struct TTopicPropertyValues {
  TStringList keywords;
  TStringList indexEntries;
  bool excludeWeb = false;
  bool excludeChm = false;
  bool excludePdf = false;
  std::string helpId;  // as typed
  std::string helpAlias;
  std::string condition;  // "" for always
};

class TTopicPropertiesPanel : public QGroupBox {
  Q_OBJECT

 public:
  explicit TTopicPropertiesPanel(QWidget* parent);

  // Fills the fields without raising Edited.
  void ShowTopic(const TTopic& topic);
  void Clear();
  TTopicPropertyValues Values() const;
  // Writes the values into the topic when they differ from its own; returns whether they did.
  // A help ID or alias the project refuses (not valid, or another topic's) is not written:
  // the panel says why, and the topic keeps its own.
  bool StoreInto(const TDocProject& project, TTopic& topic);
  // Why the help ID or alias typed was refused; "" when nothing was.
  std::string HelpContextProblem() const;
  // Puts the panel's own texts in the current language.
  void Retranslate();
  void FocusFirstField();
  // The conditions the condition box offers (the project's); what a topic holds stays.
  void SetConditionNames(const std::vector<std::string>& names);
  // Adds a widget below the topic's fields (the project's style profile box).
  void AddBelow(QWidget* widget);

 signals:
  // A field was changed by the writer (not by ShowTopic or Clear).
  void Edited();
  void ApplyClicked();

 private:
  QVBoxLayout* FLayout;
  QLabel* FKeywordsLabel;
  QPlainTextEdit* FKeywords;
  QLabel* FIndexLabel;
  QPlainTextEdit* FIndex;
  QCheckBox* FExcludeWeb;
  QCheckBox* FExcludeChm;
  QCheckBox* FExcludePdf;
  QLabel* FHelpIdLabel;
  QLineEdit* FHelpId;
  QLabel* FHelpAliasLabel;
  QLineEdit* FHelpAlias;
  QLabel* FConditionLabel;
  QComboBox* FCondition;
  QLabel* FHelpProblem;
  QPushButton* FApply;
  bool FFilling = false;

  void ShowHelpProblem(const std::string& text);
  bool StoreHelpContext(const TDocProject& project, TTopic& topic, const TTopicPropertyValues& v);
};
