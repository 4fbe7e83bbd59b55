#include "uUserDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "uDlgImageProperties.h"
#include "uQtText.h"
#include "uTranslation.h"

namespace {

// OK and Cancel in the program's language; OK accepts the dialog, Cancel rejects it.
QDialogButtonBox* AcceptCancelButtons(QDialog& dialog, const QString& acceptText) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(acceptText);
  buttons->button(QDialogButtonBox::Cancel)->setText(Tr("Cancel"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return buttons;
}

QString QtFilter(const std::string& filter) {
  const std::vector<std::string> parts = SplitString(filter, '|');
  QStringList labels;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) labels << ToQ(parts[i]);
  if (labels.isEmpty()) labels << ToQ(filter);
  return labels.join(";;");
}

QMessageBox::Icon IconOf(TMessageKind kind) {
  switch (kind) {
    case TMessageKind::Information: return QMessageBox::Information;
    case TMessageKind::Warning: return QMessageBox::Warning;
    case TMessageKind::Error: return QMessageBox::Critical;
    case TMessageKind::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

TQtUserDialogs::TSettingsEditor& SettingsEditor() {
  static TQtUserDialogs::TSettingsEditor editor;
  return editor;
}

}  // namespace

std::string ErrorBoxText(const std::string& message) {
  if (message.empty()) return message;
  const unsigned char last = static_cast<unsigned char>(message.back());
  return last <= '.' ? message : message + ".";
}

// --- Qt dialogs ------------------------------------------------------------------

TQtUserDialogs::~TQtUserDialogs() { delete FProgress; }

void TQtUserDialogs::SetSettingsEditor(TSettingsEditor editor) { SettingsEditor() = std::move(editor); }

void TQtUserDialogs::ShowMessage(TMessageKind kind, const std::string& text) {
  QMessageBox box(IconOf(kind), QApplication::applicationName(), ToQ(text), QMessageBox::Ok, FParent);
  box.exec();
}

TDialogAnswer TQtUserDialogs::Ask(TMessageKind kind, const std::string& text, TDialogButtons buttons) {
  QMessageBox box(IconOf(kind), QApplication::applicationName(), ToQ(text), QMessageBox::NoButton, FParent);
  struct TButton {
    QMessageBox::StandardButton button;
    const char* caption;
    TDialogAnswer answer;
  };
  std::vector<TButton> list;
  switch (buttons) {
    case TDialogButtons::Ok: list = {{QMessageBox::Ok, "OK", TDialogAnswer::Ok}}; break;
    case TDialogButtons::OkCancel:
      list = {{QMessageBox::Ok, "OK", TDialogAnswer::Ok}, {QMessageBox::Cancel, "Cancel", TDialogAnswer::Cancel}};
      break;
    case TDialogButtons::YesNo:
      list = {{QMessageBox::Yes, "Yes", TDialogAnswer::Yes}, {QMessageBox::No, "No", TDialogAnswer::No}};
      break;
    case TDialogButtons::YesNoCancel:
      list = {{QMessageBox::Yes, "Yes", TDialogAnswer::Yes},
              {QMessageBox::No, "No", TDialogAnswer::No},
              {QMessageBox::Cancel, "Cancel", TDialogAnswer::Cancel}};
      break;
    case TDialogButtons::RecoverDiscard:
      list = {{QMessageBox::Yes, "Recover", TDialogAnswer::Yes}, {QMessageBox::No, "Discard", TDialogAnswer::No}};
      break;
  }
  for (const TButton& b : list) box.addButton(b.button)->setText(Tr(b.caption));
  const auto chosen = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const TButton& b : list) {
    if (b.button == chosen) return b.answer;
  }
  return buttons == TDialogButtons::YesNo ? TDialogAnswer::No : TDialogAnswer::Cancel;
}

bool TQtUserDialogs::InputBox(const std::string& caption, const std::string& prompt, std::string& value) {
  QInputDialog dialog(FParent);
  dialog.setWindowTitle(ToQ(caption));
  dialog.setLabelText(ToQ(prompt));
  dialog.setTextValue(ToQ(value));
  dialog.setOkButtonText(Tr("OK"));
  dialog.setCancelButtonText(Tr("Cancel"));
  dialog.resize(360, dialog.sizeHint().height());
  if (dialog.exec() != QDialog::Accepted) return false;
  value = FromQ(dialog.textValue());
  return true;
}

bool TQtUserDialogs::AskTableSpec(TTableSpec& spec, int maxRows, int maxCols) {
  QDialog dialog(FParent);
  dialog.setWindowTitle(Tr("Insert Table"));
  auto* form = new QFormLayout(&dialog);
  auto number = [&dialog](int value, int max) {
    auto* box = new QSpinBox(&dialog);
    box->setRange(1, max);
    box->setValue(std::clamp(value, 1, max));
    return box;
  };
  QSpinBox* rows = number(spec.rows, maxRows);
  QSpinBox* cols = number(spec.cols, maxCols);
  auto* header = new QCheckBox(Tr("First row is a header"), &dialog);
  header->setChecked(spec.headerRow);
  form->addRow(Tr("Rows:"), rows);
  form->addRow(Tr("Columns:"), cols);
  form->addRow(header);
  form->addRow(AcceptCancelButtons(dialog, Tr("OK")));
  rows->setFocus();
  rows->selectAll();
  if (dialog.exec() != QDialog::Accepted) return false;
  spec = {rows->value(), cols->value(), header->isChecked()};
  return true;
}

bool TQtUserDialogs::AskHelpNumbering(THelpNumbering& numbering) {
  QDialog dialog(FParent);
  dialog.setWindowTitle(Tr("Number Help Contexts"));
  auto* form = new QFormLayout(&dialog);
  auto* intro = new QLabel(Tr("Gives every topic without a help ID the next free number, in the order of the "
                              "topic tree."),
                           &dialog);
  intro->setWordWrap(true);
  form->addRow(intro);
  auto number = [&dialog](int value) {
    auto* box = new QSpinBox(&dialog);
    box->setRange(1, kMaxHelpId);
    box->setValue(std::max(value, 1));
    return box;
  };
  QSpinBox* start = number(numbering.start);
  start->setObjectName("spnHelpIdStart");
  QSpinBox* step = number(numbering.step);
  step->setObjectName("spnHelpIdStep");
  auto* aliases = new QCheckBox(Tr("Also give topics without an alias one made from the title"), &dialog);
  aliases->setObjectName("chkDeriveAliases");
  aliases->setChecked(numbering.deriveAliases);
  form->addRow(Tr("First ID:"), start);
  form->addRow(Tr("Step:"), step);
  form->addRow(aliases);
  form->addRow(AcceptCancelButtons(dialog, Tr("OK")));
  start->setFocus();
  start->selectAll();
  if (dialog.exec() != QDialog::Accepted) return false;
  numbering = {start->value(), step->value(), aliases->isChecked()};
  return true;
}

bool TQtUserDialogs::ChooseReplacements(const std::vector<TTopicMatches>& found, TMatchSet& leftOut) {
  QDialog dialog(FParent);
  dialog.setWindowTitle(Tr("Replace in Project"));
  dialog.resize(960, 520);
  auto* layout = new QVBoxLayout(&dialog);
  auto* intro = new QLabel(Tr("Clear the box of any change you want to leave out."), &dialog);
  layout->addWidget(intro);
  auto* tree = new QTreeWidget(&dialog);
  tree->setObjectName("twReplacePreview");
  tree->setColumnCount(3);
  tree->setHeaderLabels({Tr("Topic"), Tr("Now"), Tr("After replacing")});
  tree->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  tree->header()->setSectionResizeMode(2, QHeaderView::Stretch);
  tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  for (const TTopicMatches& topic : found) {
    auto* topicItem = new QTreeWidgetItem(tree);
    topicItem->setText(0, ToQ(topic.title));
    topicItem->setFlags(topicItem->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
    for (size_t i = 0; i < topic.matches.size(); ++i) {
      const TFieldMatch& m = topic.matches[i];
      std::string after = m.context;
      after.replace(m.contextStart, m.matched.size(), m.match.replacement);
      auto* item = new QTreeWidgetItem(topicItem);
      item->setText(1, ToQ(m.context));
      item->setText(2, ToQ(after));
      item->setToolTip(1, ToQ(m.context));
      item->setToolTip(2, ToQ(after));
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(0, Qt::Checked);
      item->setData(0, Qt::UserRole, static_cast<qulonglong>(i));
    }
  }
  tree->expandAll();
  layout->addWidget(tree, 1);
  layout->addWidget(AcceptCancelButtons(dialog, Tr("Replace")));
  if (dialog.exec() != QDialog::Accepted) return false;
  leftOut.clear();
  for (int t = 0; t < tree->topLevelItemCount(); ++t) {
    const QTreeWidgetItem* topicItem = tree->topLevelItem(t);
    for (int c = 0; c < topicItem->childCount(); ++c) {
      const QTreeWidgetItem* item = topicItem->child(c);
      if (item->checkState(0) != Qt::Checked) {
        leftOut.emplace(found[static_cast<size_t>(t)].topicId, item->data(0, Qt::UserRole).toULongLong());
      }
    }
  }
  return true;
}

TLinkAnswer TQtUserDialogs::EditLink(std::string& url, bool existing) {
  QDialog dialog(FParent);
  dialog.setWindowTitle(Tr("Insert Link"));
  auto* form = new QFormLayout(&dialog);
  auto* address = new QLineEdit(ToQ(url), &dialog);
  address->setMinimumWidth(360);
  form->addRow(Tr("URL:"), address);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(Tr("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(Tr("Cancel"));
  TLinkAnswer answer = TLinkAnswer::Cancel;
  if (existing) {
    QPushButton* remove = buttons->addButton(Tr("Remove Link"), QDialogButtonBox::DestructiveRole);
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&dialog, &answer] {
      answer = TLinkAnswer::Remove;
      dialog.accept();
    });
  }
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&dialog, &answer] {
    answer = TLinkAnswer::Ok;
    dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  address->selectAll();
  if (dialog.exec() != QDialog::Accepted) return TLinkAnswer::Cancel;
  if (answer == TLinkAnswer::Ok) url = FromQ(address->text());
  return answer;
}

bool TQtUserDialogs::EditImageProperties(TImageProperties& image) {
  return TdlgImageProperties::Execute(FParent, image);
}

std::string TQtUserDialogs::OpenFile(const std::string& caption, const std::string& filter,
                                     const std::string& initialDir) {
  return FromQ(QFileDialog::getOpenFileName(FParent, ToQ(caption), ToQ(initialDir), QtFilter(filter)));
}

std::string TQtUserDialogs::SaveFile(const std::string& caption, const std::string& filter,
                                     const std::string& defaultExt, const std::string& proposedName) {
  QFileDialog dialog(FParent, ToQ(caption), QString(), QtFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(ToQ(defaultExt));
  dialog.selectFile(ToQ(proposedName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return "";
  return FromQ(dialog.selectedFiles().first());
}

bool TQtUserDialogs::PickColor(std::string& htmlColor) {
  const QColor chosen = QColorDialog::getColor(QColor(ToQ(htmlColor)), FParent);
  if (!chosen.isValid()) return false;
  htmlColor = FromQ(chosen.name());
  return true;
}

bool TQtUserDialogs::EditProjectSettings(TProjectSettings& settings, const std::string& projectRoot) {
  return SettingsEditor() ? SettingsEditor()(FParent, settings, projectRoot) : false;
}

bool TQtUserDialogs::EditBuildProfiles(std::vector<TBuildProfile>& profiles, const TBuildProfilesContext& context) {
  TDlgBuildProfiles dialog(FParent, profiles, context);
  if (dialog.exec() != QDialog::Accepted) return false;
  profiles = dialog.Profiles();
  return true;
}

void TQtUserDialogs::ShowFindings(const std::string& caption, const std::string& summary,
                                  const std::vector<TFindingRow>& rows,
                                  std::function<void(const std::string& topicID)> onActivate) {
  auto* dialog = new QDialog(FParent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(ToQ(caption));
  dialog->resize(760, 420);
  auto* layout = new QVBoxLayout(dialog);
  auto* label = new QLabel(ToQ(summary), dialog);
  label->setWordWrap(true);
  layout->addWidget(label);
  auto* list = new QTreeWidget(dialog);
  list->setRootIsDecorated(false);
  list->setAlternatingRowColors(true);
  list->setHeaderLabels({Tr("Topic"), Tr("Problem"), Tr("Details")});
  for (const TFindingRow& row : rows) {
    auto* item = new QTreeWidgetItem(list, {ToQ(row.topicTitle), ToQ(row.kind), ToQ(row.detail)});
    item->setData(0, Qt::UserRole, ToQ(row.topicID));
    item->setToolTip(2, ToQ(row.detail));
  }
  list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  list->header()->setStretchLastSection(true);
  layout->addWidget(list, 1);
  QObject::connect(list, &QTreeWidget::itemActivated, dialog, [onActivate](QTreeWidgetItem* item, int) {
    const std::string id = FromQ(item->data(0, Qt::UserRole).toString());
    if (!id.empty() && onActivate) onActivate(id);
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
  buttons->button(QDialogButtonBox::Close)->setText(Tr("Close"));
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
  layout->addWidget(buttons);
  dialog->show();
}

TProgressCallback TQtUserDialogs::BeginProgress(const std::string& caption) {
  EndProgress();
  FProgress = new QProgressDialog(ToQ(caption), Tr("Cancel"), 0, 0, FParent);
  FProgress->setWindowTitle(QApplication::applicationName());
  FProgress->setWindowModality(Qt::WindowModal);
  FProgress->setMinimumDuration(400);
  FProgress->setAutoClose(false);
  FProgress->setAutoReset(false);
  QProgressDialog* dialog = FProgress;
  const QString base = ToQ(caption);
  return [dialog, base](int done, int total) {
    if (total > 0 && dialog->maximum() != total) dialog->setMaximum(total);
    dialog->setValue(done);
    dialog->setLabelText(
        base + "\n" + ToQ(FormatText(TranslateText("Topic %d of %d"), {std::to_string(done), std::to_string(total)})));
    QApplication::processEvents();
    if (dialog->wasCanceled()) throw EAbort();
  };
}

void TQtUserDialogs::EndProgress() {
  delete FProgress;
  FProgress = nullptr;
}
