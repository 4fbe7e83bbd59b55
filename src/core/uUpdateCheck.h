// The start-up question to the maker's web site: is there a newer version, and is
// this one still supported? Also the download of the new installer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The running version as the version file counts it (version times ten, from CMakeLists.txt).
constexpr int kOwnVersionNumber = FOLIVANE_VERSION_NUMBER;
constexpr const char* kUpdateUserAgent = "Mozilla/4.0 (compatible; MyApp)";
constexpr const char* kVersionFilePath = "/download/version/folivane-version.html";
constexpr const char* kChangesFilePath = "/download/version/folivane-changes.html";
constexpr const char* kInstallerPath = "/download/folivane.exe";

// --- Configuration ------------------------------------------------------------------

// The base URL of the update endpoints: $FOLIVANE_UPDATE_URL when set (even when empty),
// else the build's default. Empty means: no update check.
std::string UpdateBaseUrl();
// base + path, without a doubled slash.
std::string UpdateEndpointUrl(const std::string& baseUrl, const std::string& path);

// --- The two text files (pure) --------------------------------------------------------

struct TVersionFileInfo {
  int latest = 0;
  int minimum = 0;
};

// The first line "latest/minimum", both decimal whole numbers. Raises EFolivaneError.
TVersionFileInfo ParseVersionFile(const std::string& text);
// One change per line; empty lines are dropped, lines of blanks are kept.
std::vector<std::string> ParseChangesFile(const std::string& text);
// 24 -> "2.4", 105 -> "10.5", 5 -> "0.5".
std::string DisplayedVersion(int number);

struct TUpdateCheckResult {
  bool Show = false;            // the new-version window is to be shown
  bool UpdateRequired = false;  // the running version is no longer supported
  std::string NewVersionMessage;
};

// Whether the server's versions call for the window: a newer one, or this one unsupported.
bool AnnouncesUpdate(const TVersionFileInfo& info, int ownVersion = kOwnVersionNumber);

// The decision and the window's text from the two files' contents. Raises
// EFolivaneError when the version file cannot be read.
TUpdateCheckResult EvaluateUpdateFiles(const std::string& versionText, const std::string& changesText,
                                       int ownVersion = kOwnVersionNumber);

// --- HTTP -----------------------------------------------------------------------------

struct THttpOptions {
  // Redirects may lead to plain http only where the configured base URL is http itself
  // (a local test server); otherwise a redirect to http is refused.
  bool allowPlainHttp = false;
  long connectTimeoutMs = 3000;
  long readTimeoutSec = 10;  // longest wait without a byte arriving
};
THttpOptions HttpOptionsFor(const std::string& baseUrl);

// GET into memory (at most 1 MiB). Raises EFolivaneError on any failure, HTTP errors included.
std::string HttpGetText(const std::string& url, const THttpOptions& options);

// Called as data arrives and about once a second while it does not: the bytes received so
// far and the response's content length, 0 when chunked or unknown. Throwing cancels the
// transfer; the exception reaches the caller.
using TDownloadProgress = std::function<void(int64_t done, int64_t total)>;

// GET into a file: the body goes to a temporary file beside destPath, which replaces
// destPath only once the transfer is complete, so a failed or cancelled download leaves
// nothing behind. Returns the URL finally fetched (after redirects).
std::string HttpDownloadToFile(const std::string& url, const std::string& destPath, const TDownloadProgress& progress,
                               const THttpOptions& options);

// --- The check and the installer -------------------------------------------------------

// Asks the server at baseUrl; any failure (and an empty baseUrl) gives Show false.
TUpdateCheckResult CheckForNewVersion(const std::string& baseUrl);
// The same with UpdateBaseUrl().
TUpdateCheckResult CheckForNewVersion();

// A new private folder for the installer under the temporary folder (mode 0700).
std::string MakeUpdateDownloadFolder();
// The installer's file name in that folder: "folivane-update" with the extension of the
// file finally fetched (".deb", ".rpm", ...), none for ".exe" or none, so that the desktop
// recognises a package by its content rather than handing it to a Windows loader.
std::string InstallerFileName(const std::string& effectiveUrl);
// Downloads the installer from baseUrl into folder; returns the file's path.
std::string DownloadInstaller(const std::string& baseUrl, const std::string& folder, const TDownloadProgress& progress);
