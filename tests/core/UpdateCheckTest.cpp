// The update check: the two text files, the base URL, and the transfers against a local server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "TestHelpers.h"
#include "TestHttpServer.h"
#include "uUpdateCheck.h"
#include "uUtils.h"

namespace {

// Sets or removes an environment variable for one test.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, std::optional<std::string> value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~TScopedEnv() {
    if (FOld) {
      ::setenv(FName, FOld->c_str(), 1);
    } else {
      ::unsetenv(FName);
    }
  }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

std::string Bytes(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 26);
  return s;
}

struct TProgressLog {
  std::vector<std::pair<int64_t, int64_t>> calls;
  TDownloadProgress Callback() {
    return [this](int64_t done, int64_t total) { calls.emplace_back(done, total); };
  }
  int64_t LastDone() const { return calls.empty() ? -1 : calls.back().first; }
};

}  // namespace

TEST(UpdateCheck, VersionFileDecidesWhatIsShown) {
  struct TCase {
    const char* version;
    bool show;
    bool required;
    const char* start;
  };
  const TCase cases[] = {
      {"23/23", false, false, ""},
      {"23/20\r\n99/99", false, false, ""},  // only the first line counts
      {"24/23", true, false, "The new version 2.4 is available\n\nWhat's new:\n"},
      {"\xEF\xBB\xBF 105 / 23 \n", true, false, "The new version 10.5 is available\n"},
      {"24/24", true, true,
       "This version of the software is out of date. You must download the current version 2.4 to continue "
       "using the software.\n\nWhat's new:\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.version);
    const TUpdateCheckResult r = EvaluateUpdateFiles(c.version, "Faster export");
    EXPECT_EQ(r.Show, c.show);
    EXPECT_EQ(r.UpdateRequired, c.required);
    if (c.show) {
      EXPECT_TRUE(StartsWith(r.NewVersionMessage, c.start)) << r.NewVersionMessage;
      EXPECT_TRUE(EndsWith(r.NewVersionMessage, "What's new:\nFaster export\n")) << r.NewVersionMessage;
    } else {
      EXPECT_EQ(r.NewVersionMessage, "");
    }
  }
  for (const char* bad : {"", "24", "2a/23", "24/x", "24/", "/23", "-24/23", "24/23/1", "99999999999/1"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(EvaluateUpdateFiles(bad, ""), EFolivaneError);
  }
}

TEST(UpdateCheck, ChangesFileDropsEmptyLinesKeepsBlankOnes) {
  EXPECT_EQ(ParseChangesFile("First\r\n\r\nSecond\n   \n\rThird\r\n\r\n"),
            (std::vector<std::string>{"First", "Second", "   ", "Third"}));
  const TUpdateCheckResult r = EvaluateUpdateFiles("30/23", "A\n\nB\n");
  EXPECT_TRUE(EndsWith(r.NewVersionMessage, "What's new:\nA\nB\n"));
}

TEST(UpdateCheck, BaseUrlFromEnvironmentOrBuild) {
  {
    TScopedEnv env("FOLIVANE_UPDATE_URL", std::nullopt);
    EXPECT_EQ(UpdateBaseUrl(), FOLIVANE_DEFAULT_UPDATE_URL);
  }
  {
    TScopedEnv env("FOLIVANE_UPDATE_URL", "http://127.0.0.1:8080/");
    EXPECT_EQ(UpdateBaseUrl(), "http://127.0.0.1:8080/");
    EXPECT_EQ(UpdateEndpointUrl(UpdateBaseUrl(), kVersionFilePath),
              "http://127.0.0.1:8080/download/version/folivane-version.html");
  }
  TTestHttpServer server;
  server.Serve(kVersionFilePath, TCannedResponse::WithLength("30/30"));
  server.Serve(kChangesFilePath, TCannedResponse::WithLength("All new"));
  {
    TScopedEnv env("FOLIVANE_UPDATE_URL", "");
    EXPECT_EQ(UpdateBaseUrl(), "");
    EXPECT_FALSE(CheckForNewVersion().Show);
  }
  EXPECT_TRUE(server.Requests().empty());
  TScopedEnv env("FOLIVANE_UPDATE_URL", server.BaseUrl());
  EXPECT_TRUE(CheckForNewVersion().UpdateRequired);
}

TEST(UpdateCheck, CheckAsksTheServer) {
  TTestHttpServer server;
  server.Serve(kVersionFilePath, TCannedResponse::Redirect("/moved/version.txt"));
  server.Serve("/moved/version.txt", TCannedResponse::Chunked("24/23\r\n", 0, 3));
  server.Serve(kChangesFilePath, TCannedResponse::WithLength("Stre\xC3\x9F test\r\n\r\nNew icons\r\n"));
  const TUpdateCheckResult r = CheckForNewVersion(server.BaseUrl());
  EXPECT_TRUE(r.Show);
  EXPECT_FALSE(r.UpdateRequired);
  EXPECT_EQ(r.NewVersionMessage, "The new version 2.4 is available\n\nWhat's new:\nStre\xC3\x9F test\nNew icons\n");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].path, kVersionFilePath);
  EXPECT_EQ(requests[2].path, kChangesFilePath);
  for (const auto& request : requests) EXPECT_EQ(request.userAgent, "Mozilla/4.0 (compatible; MyApp)");
}

TEST(UpdateCheck, AnyFailureShowsNothing) {
  TTestHttpServer server;
  server.Serve(kChangesFilePath, TCannedResponse::WithLength("x"));
  for (const char* version : {"", "23/23", "24-23", "v24/23"}) {
    SCOPED_TRACE(version);
    if (*version) server.Serve(kVersionFilePath, TCannedResponse::WithLength(version));  // "" stays a 404
    const TUpdateCheckResult r = CheckForNewVersion(server.BaseUrl());
    EXPECT_FALSE(r.Show);
    EXPECT_EQ(r.NewVersionMessage, "");
  }
  // Nothing to announce: the change list is never fetched.
  for (const std::string& path : server.RequestedPaths()) EXPECT_EQ(path, kVersionFilePath);
  // A 404 for the change list fails the whole check.
  server.Serve(kVersionFilePath, TCannedResponse::WithLength("24/23"));
  server.Serve(kChangesFilePath, TCannedResponse::Status(404));
  EXPECT_FALSE(CheckForNewVersion(server.BaseUrl()).Show);
  // No server at all.
  EXPECT_FALSE(CheckForNewVersion("http://127.0.0.1:1").Show);
}

TEST(UpdateCheck, DownloadReportsProgressAgainstContentLength) {
  TTestHttpServer server;
  const std::string body = Bytes(300000);
  server.Serve(kInstallerPath, TCannedResponse::WithLength(body, 10, 4));
  TTempDir dir;
  TProgressLog log;
  const std::string file = DownloadInstaller(server.BaseUrl(), dir.Path(), log.Callback());
  EXPECT_EQ(file, dir / "folivane-update");
  EXPECT_EQ(ReadBinaryFile(file), body);
  EXPECT_EQ(ListFiles(dir.Path()), std::vector<std::string>{file});
  EXPECT_EQ(log.LastDone(), int64_t(body.size()));
  int64_t previous = 0;
  bool between = false;
  for (const auto& [done, total] : log.calls) {
    EXPECT_GE(done, previous);
    if (done > 0) {
      EXPECT_EQ(total, int64_t(body.size()));
    }
    between = between || (done > 0 && done < total);
    previous = done;
  }
  EXPECT_TRUE(between) << "no progress while the body arrived";
}

TEST(UpdateCheck, ChunkedDownloadAfterRedirectHasNoTotal) {
  TTestHttpServer server;
  const std::string body = Bytes(100000);
  server.Serve(kInstallerPath, TCannedResponse::Redirect(server.BaseUrl() + "/files/folivane_2.4_amd64.deb?x=1"));
  server.Serve("/files/folivane_2.4_amd64.deb?x=1", TCannedResponse::Chunked(body, 5, 5));
  TTempDir dir;
  TProgressLog log;
  const std::string file = DownloadInstaller(server.BaseUrl(), dir.Path(), log.Callback());
  EXPECT_EQ(file, dir / "folivane-update.deb");
  EXPECT_EQ(ReadBinaryFile(file), body);
  EXPECT_EQ(ListFiles(dir.Path()), std::vector<std::string>{file});
  EXPECT_EQ(log.LastDone(), int64_t(body.size()));
  for (const auto& call : log.calls) EXPECT_EQ(call.second, 0);
}

TEST(UpdateCheck, CancelledOrFailedDownloadLeavesNothing) {
  TTestHttpServer server;
  server.Serve(kInstallerPath, TCannedResponse::WithLength(Bytes(20000), 50, 200));  // ten seconds
  server.Serve("/missing-installer/download/folivane.exe", TCannedResponse::Status(404));
  TTempDir dir;
  EXPECT_THROW(DownloadInstaller(server.BaseUrl(), dir.Path(),
                                 [](int64_t done, int64_t) {
                                   if (done > 0) throw EAbort();
                                 }),
               EAbort);
  try {
    DownloadInstaller(server.BaseUrl() + "/missing-installer", dir.Path(), {});
    ADD_FAILURE() << "a 404 was taken for an installer";
  } catch (const EFolivaneError& e) {
    EXPECT_NE(std::string(e.what()).find("404"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(ListFiles(dir.Path()).empty());
}

TEST(UpdateCheck, RedirectToPlainHttpRefusedUnlessConfiguredSo) {
  TTestHttpServer server;
  server.Serve("/secure", TCannedResponse::Redirect(server.BaseUrl() + "/plain"));
  server.Serve("/plain", TCannedResponse::WithLength("installer"));
  TTempDir dir;
  THttpOptions strict;  // what an https base URL gets
  try {
    HttpDownloadToFile(server.BaseUrl() + "/secure", dir / "f", {}, strict);
    ADD_FAILURE() << "followed a redirect to http";
  } catch (const EFolivaneError& e) {
    EXPECT_NE(std::string(e.what()).find("not https"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(ListFiles(dir.Path()).empty());
  EXPECT_EQ(server.RequestedPaths(), std::vector<std::string>{"/secure"});
  EXPECT_FALSE(HttpOptionsFor("https://www.folivane.com").allowPlainHttp);
  EXPECT_TRUE(HttpOptionsFor(server.BaseUrl()).allowPlainHttp);
  HttpDownloadToFile(server.BaseUrl() + "/secure", dir / "f", {}, HttpOptionsFor(server.BaseUrl()));
  EXPECT_EQ(ReadBinaryFile(dir / "f"), "installer");
}

TEST(UpdateCheck, StalledServerTimesOut) {
  TTestHttpServer server;
  server.Serve("/stall", TCannedResponse::WithLength("late", 3000));
  THttpOptions options = HttpOptionsFor(server.BaseUrl());
  options.readTimeoutSec = 1;
  EXPECT_THROW(HttpGetText(server.BaseUrl() + "/stall", options), EFolivaneError);
}

TEST(UpdateCheck, InstallerNameFollowsTheFileFetched) {
  const std::pair<const char*, const char*> cases[] = {
      {"https://www.folivane.com/download/folivane.exe", "folivane-update"},
      {"https://cdn.example/pool/folivane_2.4_amd64.deb", "folivane-update.deb"},
      {"https://cdn.example/folivane-2.4.x86_64.rpm?sig=a.b#c.d", "folivane-update.rpm"},
      {"https://cdn.example/folivane", "folivane-update"},
      {"https://cdn.example/v2.4/latest", "folivane-update"},
      {"https://cdn.example/f.%2e%2e", "folivane-update"},
  };
  for (const auto& [url, name] : cases) EXPECT_EQ(InstallerFileName(url), name) << url;
}
