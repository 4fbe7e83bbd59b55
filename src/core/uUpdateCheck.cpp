#include "uUpdateCheck.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>

#include "uPlatform.h"
#include "uTranslation.h"
#include "uUtils.h"

#ifndef FOLIVANE_DEFAULT_UPDATE_URL
#define FOLIVANE_DEFAULT_UPDATE_URL ""
#endif

namespace {

constexpr size_t kTextLimit = 1024 * 1024;

int ParseWholeNumber(const std::string& raw, const std::string& line) {
  const std::string s = Trim(raw);
  int value = 0;
  const char* end = s.data() + s.size();
  const auto [ptr, ec] = std::from_chars(s.data(), end, value);
  const bool digitsOnly = !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
  if (!digitsOnly || ec != std::errc() || ptr != end) {
    throw EFolivaneError("The version file holds no version number: " + line);
  }
  return value;
}

void EnsureCurlInitialised() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// One transfer's state, shared with libcurl's callbacks. Exceptions must not cross
// libcurl, so a callback's exception is kept here and raised once curl has returned.
struct TTransfer {
  long status = 0;
  int64_t contentLength = -1;
  bool chunked = false;
  int64_t received = 0;
  std::exception_ptr failure;
  const TDownloadProgress* progress = nullptr;
  std::string* memory = nullptr;
  bool tooLarge = false;
  int fd = -1;
  int writeErrno = 0;

  // The length the progress reports: only of a successful, non-chunked answer.
  int64_t Total() const { return status >= 200 && status < 300 && !chunked && contentLength > 0 ? contentLength : 0; }

  bool Report() {
    if (!progress || !*progress || failure) return !failure;
    try {
      (*progress)(received, Total());
      return true;
    } catch (...) {
      failure = std::current_exception();
      return false;
    }
  }
};

size_t HeaderCallback(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<TTransfer*>(user);
  const size_t n = size * count;
  const std::string line(data, n);
  if (StartsWith(line, "HTTP/")) {
    // A new answer (after a redirect, or a 100 Continue): forget the previous one's headers.
    t->contentLength = -1;
    t->chunked = false;
    const size_t blank = line.find(' ');
    t->status = blank == std::string::npos ? 0 : std::atol(line.c_str() + blank + 1);
    return n;
  }
  const size_t colon = line.find(':');
  if (colon == std::string::npos) return n;
  const std::string name = AsciiLower(Trim(line.substr(0, colon)));
  const std::string value = Trim(line.substr(colon + 1));
  if (name == "content-length") {
    int64_t length = -1;
    const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), length);
    t->contentLength = ec == std::errc() && ptr == value.data() + value.size() ? length : -1;
  } else if (name == "transfer-encoding") {
    t->chunked = AsciiLower(value).find("chunked") != std::string::npos;
  }
  return n;
}

size_t WriteCallback(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<TTransfer*>(user);
  const size_t n = size * count;
  if (t->memory) {
    if (t->memory->size() + n > kTextLimit) {
      t->tooLarge = true;
      return 0;
    }
    t->memory->append(data, n);
  } else {
    size_t written = 0;
    while (written < n) {
      const ssize_t w = ::write(t->fd, data + written, n - written);
      if (w < 0) {
        if (errno == EINTR) continue;
        t->writeErrno = errno;
        return 0;
      }
      written += static_cast<size_t>(w);
    }
  }
  t->received += static_cast<int64_t>(n);
  return t->Report() ? n : 0;
}

int XferInfoCallback(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<TTransfer*>(user)->Report() ? 0 : 1;
}

// Runs one GET with the common settings; raises the callbacks' exception or an EFolivaneError.
std::string Perform(const std::string& url, TTransfer& t, const THttpOptions& options) {
  EnsureCurlInitialised();
  CURL* curl = curl_easy_init();
  if (!curl) throw EFolivaneError("Cannot start an HTTP transfer");
  char errorText[CURL_ERROR_SIZE] = {0};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUpdateUserAgent);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  // The address itself is the configured one; where it leads must stay https unless the
  // configuration is plain http already.
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, options.allowPlainHttp ? "http,https" : "https");
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
  // libcurl has no read time-out as such: "less than one byte a second for N seconds".
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, options.readTimeoutSec);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, HeaderCallback);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteCallback);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, XferInfoCallback);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
  const CURLcode rc = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  char* effective = nullptr;
  curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
  const std::string effectiveUrl = effective ? effective : url;
  curl_easy_cleanup(curl);

  if (t.failure) std::rethrow_exception(t.failure);
  if (rc == CURLE_OK) return effectiveUrl;
  if (t.tooLarge) throw EFolivaneError("The answer from " + url + " is too large");
  if (t.writeErrno != 0) {
    throw EFolivaneError("Cannot write the download of " + url + ": " + std::strerror(t.writeErrno));
  }
  if (rc == CURLE_HTTP_RETURNED_ERROR) {
    throw EFolivaneError("The server answered " + std::to_string(status) + " for " + effectiveUrl);
  }
  if (rc == CURLE_UNSUPPORTED_PROTOCOL && effectiveUrl != url) {
    throw EFolivaneError("Refused to follow " + url + " to an address that is not https: " + effectiveUrl);
  }
  const std::string detail = errorText[0] ? std::string(errorText) : std::string(curl_easy_strerror(rc));
  throw EFolivaneError("Cannot download " + url + ": " + detail);
}

}  // namespace

std::string UpdateBaseUrl() {
  if (const char* env = std::getenv("FOLIVANE_UPDATE_URL")) return Trim(env);
  return Trim(FOLIVANE_DEFAULT_UPDATE_URL);
}

std::string UpdateEndpointUrl(const std::string& baseUrl, const std::string& path) {
  std::string base = baseUrl;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + path;
}

TVersionFileInfo ParseVersionFile(const std::string& text) {
  const std::vector<std::string> lines = SplitTextLines(text);
  if (lines.empty()) throw EFolivaneError("The version file is empty");
  const std::string& line = lines[0];
  const size_t slash = line.find('/');
  if (slash == std::string::npos) throw EFolivaneError("The version file's first line has no \"/\": " + line);
  TVersionFileInfo info;
  info.latest = ParseWholeNumber(line.substr(0, slash), line);
  info.minimum = ParseWholeNumber(line.substr(slash + 1), line);
  return info;
}

std::vector<std::string> ParseChangesFile(const std::string& text) {
  std::vector<std::string> changes;
  for (std::string& line : SplitTextLines(text)) {
    if (!line.empty()) changes.push_back(std::move(line));
  }
  return changes;
}

std::string DisplayedVersion(int number) { return std::to_string(number / 10) + "." + std::to_string(number % 10); }

bool AnnouncesUpdate(const TVersionFileInfo& info, int ownVersion) {
  return info.minimum > ownVersion || info.latest > ownVersion;
}

TUpdateCheckResult EvaluateUpdateFiles(const std::string& versionText, const std::string& changesText, int ownVersion) {
  const TVersionFileInfo info = ParseVersionFile(versionText);
  TUpdateCheckResult result;
  if (!AnnouncesUpdate(info, ownVersion)) return result;
  const std::string version = DisplayedVersion(info.latest);
  result.Show = true;
  result.UpdateRequired = info.minimum > ownVersion;
  result.NewVersionMessage = result.UpdateRequired
                                 ? FormatText(TranslateText("This version of the software is out of date. You must "
                                                            "download the current version %s to continue using the "
                                                            "software."),
                                              {version})
                                 : FormatText(TranslateText("The new version %s is available"), {version});
  result.NewVersionMessage += "\n\n" + TranslateText("What's new:") + "\n";
  for (const std::string& change : ParseChangesFile(SanitizeUtf8(changesText))) {
    result.NewVersionMessage += change + "\n";
  }
  return result;
}

THttpOptions HttpOptionsFor(const std::string& baseUrl) {
  THttpOptions options;
  options.allowPlainHttp = StartsWithText(Trim(baseUrl), "http://");
  return options;
}

std::string HttpGetText(const std::string& url, const THttpOptions& options) {
  std::string body;
  TTransfer t;
  t.memory = &body;
  Perform(url, t, options);
  return SanitizeUtf8(body);
}

std::string HttpDownloadToFile(const std::string& url, const std::string& destPath, const TDownloadProgress& progress,
                               const THttpOptions& options) {
  const std::string dir = ExtractFileDir(destPath);
  std::string tmpl = (dir.empty() ? std::string(".") : dir) + "/." + ExtractFileName(destPath) + ".XXXXXX";
  const int fd = ::mkstemp(tmpl.data());
  if (fd < 0) throw EFolivaneError("Cannot create " + destPath + ": " + std::strerror(errno));
  TTransfer t;
  t.fd = fd;
  t.progress = &progress;
  std::string effectiveUrl;
  try {
    effectiveUrl = Perform(url, t, options);
    if (::fsync(fd) != 0) throw EFolivaneError("Cannot write " + destPath + ": " + std::strerror(errno));
  } catch (...) {
    ::close(fd);
    ::unlink(tmpl.c_str());
    throw;
  }
  if (::close(fd) != 0 || ::rename(tmpl.c_str(), destPath.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmpl.c_str());
    throw EFolivaneError("Cannot write " + destPath + ": " + std::strerror(err));
  }
  return effectiveUrl;
}

TUpdateCheckResult CheckForNewVersion(const std::string& baseUrl) {
  if (Trim(baseUrl).empty()) return {};
  try {
    const THttpOptions options = HttpOptionsFor(baseUrl);
    const std::string versionText = HttpGetText(UpdateEndpointUrl(baseUrl, kVersionFilePath), options);
    // Nothing to announce: the change list is not needed, which saves a round trip at start-up.
    if (!AnnouncesUpdate(ParseVersionFile(versionText))) return {};
    const std::string changesText = HttpGetText(UpdateEndpointUrl(baseUrl, kChangesFilePath), options);
    return EvaluateUpdateFiles(versionText, changesText);
  } catch (...) {
    // The check never stands in the way of the start.
    return {};
  }
}

TUpdateCheckResult CheckForNewVersion() { return CheckForNewVersion(UpdateBaseUrl()); }

std::string MakeUpdateDownloadFolder() { return MakePrivateTempFolder("folivane-update"); }

std::string InstallerFileName(const std::string& effectiveUrl) {
  std::string path = effectiveUrl.substr(0, effectiveUrl.find_first_of("?#"));
  const std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  const size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  const bool usable =
      ext.size() >= 2 && ext.size() <= 12 &&
      ext.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 1) == std::string::npos &&
      !SameTextAscii(ext, ".exe");
  return usable ? "folivane-update" + ext : "folivane-update";
}

std::string DownloadInstaller(const std::string& baseUrl, const std::string& folder,
                              const TDownloadProgress& progress) {
  const std::string first = PathJoin(folder, "folivane-update");
  const std::string effectiveUrl =
      HttpDownloadToFile(UpdateEndpointUrl(baseUrl, kInstallerPath), first, progress, HttpOptionsFor(baseUrl));
  const std::string final = PathJoin(folder, InstallerFileName(effectiveUrl));
  if (final != first && ::rename(first.c_str(), final.c_str()) != 0) {
    throw EFolivaneError("Cannot name the download " + final + ": " + std::strerror(errno));
  }
  return final;
}
