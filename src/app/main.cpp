// The program entry: title, light style, translations, the update check, then the main window.
#include <QApplication>
#include <QIcon>
#include <QScreen>

#include "uAppStyle.h"
#include "uEditorHostQt.h"
#include "uFrmProjectSettings.h"
#include "uMain.h"
#include "uNewVersionCheck.h"
#include "uSpellCheck.h"
#include "uTranslationFile.h"
#include "uUserDialogs.h"

int main(int argc, char* argv[]) {
  // Qt WebEngine looks for dictionaries beside the program only; an installed program keeps
  // them with its other data. A path the user set wins.
  const std::string dictionaries = SpellDictionaryFolder();
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DICTIONARIES_PATH") && DirExists(dictionaries))
    qputenv("QTWEBENGINE_DICTIONARIES_PATH", QByteArray::fromStdString(dictionaries));
  QApplication app(argc, argv);
  QApplication::setApplicationName(TfrmMain::kAppTitle);
  QApplication::setDesktopFileName("folivane");
  QApplication::setWindowIcon(QIcon(":/icons/folivane.svg"));
  ApplyLightStyle(app);
  LoadTranslations();
  InstallQtTranslation();

  const TUpdateCheckResult check = CheckForNewVersion();
  if (check.Show) {
    TQtUserDialogs updateDialogs;
    TNewVersionServices updateServices;
    updateServices.dialogs = &updateDialogs;
    TfrmNewVersion form(check, updateServices);
    updateDialogs.SetParent(&form);
    form.exec();
    if (form.Tag == 0) return 0;
  }

  TQtUserDialogs::SetSettingsEditor([](QWidget* owner, TProjectSettings& settings, const std::string& projectRoot) {
    return TfrmProjectSettings::Execute(owner, settings, nullptr, projectRoot);
  });
  TQtUserDialogs dialogs;
  TMainWindowServices services;
  services.dialogs = &dialogs;
  auto* host = new TEditorHostQt;
  services.editorHost = host;
  services.editorView = host;
  services.arguments = app.arguments().mid(1);
  TfrmMain window(services);
  dialogs.SetParent(&window);
  // Sized and centred first, for desktops without a window manager to maximise it.
  const QRect screen = window.screen()->availableGeometry();
  window.resize(screen.size());
  window.move(screen.topLeft());
  window.showMaximized();
  return app.exec();
}
