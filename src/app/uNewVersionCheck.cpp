#include "uNewVersionCheck.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QSvgRenderer>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>

#include "uMain.h"
#include "uPlatform.h"
#include "uQtText.h"
#include "uUserDialogs.h"

namespace {

constexpr int kClientWidth = 397;
constexpr int kClientHeight = 164;
constexpr int kLabelWidth = 289;
constexpr int kLabelHeight = 83;

QPixmap UpdatePicture(QSize size, qreal ratio) {
  QPixmap pixmap(size * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QSvgRenderer svg(QStringLiteral(":/icons/update-icon.svg"));
  QPainter painter(&pixmap);
  const int side = qMin(size.width(), size.height());
  svg.render(&painter, QRectF((size.width() - side) / 2.0, (size.height() - side) / 2.0, side, side));
  return pixmap;
}

}  // namespace

TfrmNewVersion::TfrmNewVersion(const TUpdateCheckResult& check, const TNewVersionServices& services, QWidget* parent)
    : QDialog(parent),
      UpdateRequired(check.UpdateRequired),
      NewVersionMessage(check.NewVersionMessage),
      FServices(services) {
  if (!FServices.open) FServices.open = OpenWithAssociatedProgram;
  if (FServices.baseUrl.empty()) FServices.baseUrl = UpdateBaseUrl();
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  imgLineSpacing = new QLabel(this);
  imgLineSpacing->setFixedSize(70, 75);
  imgLineSpacing->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  imgLineSpacing->setPixmap(UpdatePicture(QSize(64, 64), devicePixelRatioF()));

  // A long change list scrolls instead of being cut off.
  lblProgress = new QLabel;
  lblProgress->setWordWrap(true);
  lblProgress->setTextFormat(Qt::PlainText);
  lblProgress->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  lblProgress->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(lblProgress);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setMinimumSize(kLabelWidth, kLabelHeight);

  barProgress = new QProgressBar(this);
  barProgress->setRange(0, 100);
  barProgress->setValue(0);
  barProgress->setFixedHeight(17);
  barProgress->setTextVisible(false);
  barProgress->hide();

  btUpdateNow = new QPushButton(this);
  btUpdateNow->setMinimumSize(100, 25);
  btCancel = new QPushButton(this);
  btCancel->setMinimumSize(75, 25);
  connect(btUpdateNow, &QPushButton::clicked, this, [this] { btUpdateNowClick(); });
  connect(btCancel, &QPushButton::clicked, this, [this] { btCancelClick(); });

  auto* top = new QHBoxLayout;
  top->setSpacing(11);
  top->addWidget(imgLineSpacing, 0, Qt::AlignTop);
  top->addWidget(scroll, 1);
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(13);
  buttons->addStretch(1);
  buttons->addWidget(btUpdateNow);
  buttons->addWidget(btCancel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(9, 11, 18, 8);
  layout->setSpacing(8);
  layout->addLayout(top, 1);
  layout->addWidget(barProgress);
  layout->addLayout(buttons);
  resize(kClientWidth, kClientHeight);
}

TfrmNewVersion::~TfrmNewVersion() = default;

void TfrmNewVersion::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmNewVersion::FormShow() {
  Tag = 1;
  setWindowTitle(" " + QApplication::applicationName());
  btUpdateNow->setText(Tr("Update Now"));
  btCancel->setText(UpdateRequired ? Tr("Exit") : Tr("Skip"));
  lblProgress->setText(ToQ(NewVersionMessage));
  // Taller for a longer change list, up to a limit past which it scrolls.
  const int needed = lblProgress->fontMetrics()
                         .boundingRect(QRect(0, 0, kLabelWidth, 10000), Qt::TextWordWrap, lblProgress->text().trimmed())
                         .height();
  const int extra = qBound(0, needed - kLabelHeight, 320);
  resize(width(), kClientHeight + extra);
}

void TfrmNewVersion::FormClose() {
  if (UpdateRequired) Tag = 0;
}

void TfrmNewVersion::done(int result) {
  // Closing while the installer downloads means Abort; the download's end closes the window.
  if (FDownloading) {
    DownloadCancelled = true;
    return;
  }
  FormClose();
  QDialog::done(result);
}

void TfrmNewVersion::btCancelClick() {
  if (FDownloading) {  // the button reads "Abort"
    DownloadCancelled = true;
  } else {
    close();
  }
}

void TfrmNewVersion::Open(const std::string& target) { FServices.open(target); }

void TfrmNewVersion::btUpdateNowClick() {
  if (FDownloading) return;
  UpdateRequired = true;
  DownloadCancelled = false;
  btCancel->setText(Tr("Abort"));
  btUpdateNow->setEnabled(false);
  barProgress->setValue(0);
  barProgress->show();

  FDownloading = true;
  std::string failure;
  try {
    const std::string file = DownloadInstallerKeepingWindowAlive();
    if (!FileExists(file)) throw EFolivaneError(TranslateText("Cannot find downloaded file."));
    FDownloadedFile = file;
    Open(file);
  } catch (const std::exception& e) {
    failure = e.what();
  }
  FDownloading = false;
  if (!failure.empty()) ReportDownloadFailure(failure);
  close();
}

// The transfer runs on a worker thread while this thread keeps serving the window:
// libcurl calls back only about once a second while the server is silent, which
// would freeze a window that processed its events from the callback alone.
std::string TfrmNewVersion::DownloadInstallerKeepingWindowAlive() {
  const std::string folder = FServices.downloadFolder.empty() ? MakeUpdateDownloadFolder() : FServices.downloadFolder;
  const std::string cancelledText = TranslateText("Download is cancelled. Please download manually.");
  const std::string baseUrl = FServices.baseUrl;
  QEventLoop wait;
  std::string file;
  std::string failure;
  std::atomic<bool> finished{false};
  std::thread worker([&, this] {
    int shown = 0;
    try {
      file = DownloadInstaller(baseUrl, folder, [&, this](int64_t done, int64_t total) {
        if (DownloadCancelled) throw EFolivaneError(cancelledText);
        if (total <= 0) return;
        const int percent = static_cast<int>(std::clamp<int64_t>(done * 100 / total, 0, 100));
        if (percent == shown) return;
        shown = percent;
        QMetaObject::invokeMethod(
            this, [this, percent] { barProgress->setValue(percent); }, Qt::QueuedConnection);
      });
    } catch (const std::exception& e) {
      failure = e.what();
    }
    finished = true;
    QMetaObject::invokeMethod(&wait, &QEventLoop::quit, Qt::QueuedConnection);
  });
  wait.exec();
  // The loop also ends when the application quits: then the transfer must stop too.
  if (!finished) DownloadCancelled = true;
  worker.join();
  if (!failure.empty()) throw EFolivaneError(failure);
  return file;
}

void TfrmNewVersion::ReportDownloadFailure(const std::string& failure) {
  if (FServices.dialogs) {
    FServices.dialogs->ShowMessage(
        TMessageKind::Error,
        TranslateText("Failed to download update. Please download manually on website.") + "\n\n" + failure);
  }
  try {
    Open(TfrmMain::kHomepageUrl);
  } catch (const std::exception&) {
  }
}
