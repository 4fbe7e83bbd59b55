// The Help menu: the manual, the maker's pages and the about box.
#include <QDate>

#include "uMain.h"
#include "uPlatform.h"
#include "uQtText.h"
#include "uUserDialogs.h"

// The manual is a CHM file where a CHM viewer is associated; Linux desktops rarely
// have one, so its WebHelp copy is opened in the browser instead.
void TfrmMain::UserManualClick() {
  const std::string chm = PathJoin(AppDataDir(), "Folivane.chm");
  const std::string webhelp = PathJoin(AppDataDir(), "manual/index.html");
  const bool chmViewer = !FindOnPath("xchm").empty() || !FindOnPath("kchmviewer").empty();
  std::string target;
  if (FileExists(chm) && (chmViewer || !FileExists(webhelp))) {
    target = chm;
  } else if (FileExists(webhelp)) {
    target = webhelp;
  }
  if (target.empty()) {
    FDialogs->ShowMessage(TMessageKind::Error,
                          TranslateText("The Folivane user manual could not be found:") + "\n\n" + chm);
    return;
  }
  try {
    OpenWithAssociatedProgram(target);
  } catch (const std::exception& e) {
    FDialogs->ShowMessage(TMessageKind::Error, TranslateText("The system could not open the Folivane user manual.") +
                                                   "\n\n" + target + "\n\n" + e.what());
  }
}

void TfrmMain::ContactUsClick() {
  try {
    OpenWithAssociatedProgram(kSupportUrl);
  } catch (const std::exception&) {
  }
}

void TfrmMain::VisitWebsiteClick() {
  try {
    OpenWithAssociatedProgram(kHomepageUrl);
  } catch (const std::exception&) {
  }
}

void TfrmMain::AboutClick() {
  const std::string year = std::to_string(QDate::currentDate().year());
  const std::string text =
      std::string(kAppTitle) + "\n" + TranslateText("Version: ") + kVersion + "\n\n" + "Folivane Software\n" +
      kHomepageUrl + "\n" +
      FormatText(TranslateText("Copyright (c) %s Folivane Software. All rights reserved."), {year});
  FDialogs->ShowMessage(TMessageKind::Information, text);
}
