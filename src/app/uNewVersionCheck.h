// The "New Version" window shown at start-up when the maker's site announces a newer
// version: the change list, and the download and start of the new installer.
#pragma once

#include <QDialog>
#include <atomic>
#include <functional>
#include <string>

#include "uUpdateCheck.h"

class IUserDialogs;
class QLabel;
class QProgressBar;
class QPushButton;

// What the window reaches outside itself, so tests can replace and watch it.
struct TNewVersionServices {
  IUserDialogs* dialogs = nullptr;               // the failure box
  std::function<void(const std::string&)> open;  // the installer and the home page; default: the desktop
  std::string baseUrl;                           // default: UpdateBaseUrl()
  std::string downloadFolder;                    // default: a new private folder under the temporary folder
};

class TfrmNewVersion : public QDialog {
  Q_OBJECT

 public:
  TfrmNewVersion(const TUpdateCheckResult& check, const TNewVersionServices& services, QWidget* parent = nullptr);
  ~TfrmNewVersion() override;

  // The result for start-up: 1 go on to the main window, 0 end the program.
  int Tag = 1;
  // Set by the check when this version is unsupported, and by starting the download.
  bool UpdateRequired = false;
  std::string NewVersionMessage;
  // Set by Abort while the download runs on its worker thread.
  std::atomic<bool> DownloadCancelled{false};

  QLabel* lblProgress = nullptr;
  QLabel* imgLineSpacing = nullptr;
  QProgressBar* barProgress = nullptr;
  QPushButton* btUpdateNow = nullptr;
  QPushButton* btCancel = nullptr;

  void FormShow();
  void FormClose();
  void btUpdateNowClick();
  void btCancelClick();

  bool Downloading() const { return FDownloading; }
  // The installer's path once downloaded (for tests).
  const std::string& DownloadedFile() const { return FDownloadedFile; }

 protected:
  void showEvent(QShowEvent* event) override;
  // Every way of closing (buttons, close box, Escape) ends here.
  void done(int result) override;

 private:
  // The installer's path; raises with the failure's own message.
  std::string DownloadInstallerKeepingWindowAlive();
  void ReportDownloadFailure(const std::string& failure);
  void Open(const std::string& target);

  TNewVersionServices FServices;
  bool FDownloading = false;
  std::string FDownloadedFile;
};
