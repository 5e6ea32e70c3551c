#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "LocalServers.h"
#include "platform/PrivateFolder.h"
#include "profiles/DataFolders.h"
#include "profiles/TempFolder.h"
#include "update/Downloader.h"
#include "update/HttpClient.h"

using namespace vivori;
using namespace vivori::update;
using vivori::testing::LocalServer;

namespace {

namespace fs = std::filesystem;

std::string Blob() {
    std::string data(300000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7 + (i >> 8));
    return data;
}

// A uid that is not ours, for folders planted by another user.
constexpr uid_t kOtherUser = 65534;

class DownloaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        HttpSettings local;
        local.allowLoopbackHttp = true;
        SetHttpDefaults(local);
        // The digest of the blob, taken from a copy on disk.
        vivori::testing::WriteText(temp.Path() / "reference", blob);
        digest = FileSha256(temp.Path() / "reference");
        ASSERT_TRUE(PrivateFolder(folder.string()));
    }
    void TearDown() override {
        released = true;
        SetHttpDefaults(HttpSettings{});
    }
    // What the server hands out comes before it: its threads start with it.
    std::string blob = Blob();
    std::atomic<bool> released{false};
    std::unique_ptr<LocalServer> server = LocalServer::Http([this](httplib::Server& s) {
        s.Get("/r40.bin", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(blob, "application/octet-stream");
        });
        // The blob in pieces of 10000 bytes, one every 20 ms (about 0.6 s in all).
        s.Get("/paced.bin", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(
                blob.size(), "application/octet-stream",
                [this](size_t offset, size_t, httplib::DataSink& sink) {
                    if (released) return false;
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    const size_t piece = std::min<size_t>(10000, blob.size() - offset);
                    return sink.write(blob.data() + offset, piece);
                });
        });
    });
    std::string Url(const std::string& file = "r40.bin") const {
        return "http://127.0.0.1:" + std::to_string(server->Port()) + "/" + file;
    }

    std::string digest;
    vivori::testing::TempFolder temp;
    fs::path folder = temp.Path() / "UpdateData";
};

TEST_F(DownloaderTest, DownloadsWithProgressAndChecksTheDigest) {
    ASSERT_EQ(digest.size(), 64u);
    std::vector<int> progress;
    const auto target = folder / "r40.bin";
    const auto result = Download(Url(), target, kDefaultDownloadCap, digest,
                                 [&](int percent) { progress.push_back(percent); });
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.bytes, blob.size());
    EXPECT_EQ(vivori::testing::ReadText(target), blob);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST_F(DownloaderTest, DigestMismatchSizeCapBadAddressAndNoDigestLeaveNoFile) {
    const auto target = folder / "r40.bin";
    std::string wrong = digest;
    wrong[0] = wrong[0] == '0' ? '1' : '0';
    auto result = Download(Url(), target, kDefaultDownloadCap, wrong, nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("SHA-256 mismatch"), std::string::npos);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(target.string() + ".part"));

    result = Download(Url(), target, 1000, digest, nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("larger than 1000"), std::string::npos);
    EXPECT_FALSE(fs::exists(target));

    // Without a digest nothing is fetched at all.
    for (const std::string& none : {std::string(), std::string("-"), std::string(64, 'x')}) {
        result = Download(Url(), target, kDefaultDownloadCap, none, nullptr);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.error.find("no SHA-256"), std::string::npos) << result.error;
        EXPECT_EQ(result.bytes, 0u);
    }
    EXPECT_FALSE(Download("file:///etc/passwd", target, kDefaultDownloadCap, digest, nullptr).ok);
    EXPECT_FALSE(Download(Url() + "-missing", target, kDefaultDownloadCap, digest, nullptr).ok);
    // Plain http is refused unless the loopback is allowed.
    SetHttpDefaults(HttpSettings{});
    result = Download(Url(), target, kDefaultDownloadCap, digest, nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("not an https address"), std::string::npos);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(DownloaderTest, APartFileIsNeverWrittenThroughALinkAndOpenFoldersAreRefused) {
    // Something already in the folder under the part file's name, pointing elsewhere.
    const fs::path victim = temp.Path() / "victim";
    vivori::testing::WriteText(victim, "keep me");
    fs::create_symlink(victim, folder / "r40.bin.part");
    auto result = Download(Url(), folder / "r40.bin", kDefaultDownloadCap, digest, nullptr);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(vivori::testing::ReadText(victim), "keep me");
    EXPECT_EQ(vivori::testing::ReadText(folder / "r40.bin"), blob);
    struct stat info {};
    ASSERT_EQ(stat((folder / "r40.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);

    // A folder others may enter, or a link to one, is not used.
    const fs::path open = temp.Path() / "open";
    fs::create_directory(open);
    fs::permissions(open, fs::perms::owner_all | fs::perms::group_all | fs::perms::others_all);
    result = Download(Url(), open / "r40.bin", kDefaultDownloadCap, digest, nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("not private"), std::string::npos) << result.error;
    EXPECT_TRUE(fs::is_empty(open));
    fs::create_directory_symlink(folder, temp.Path() / "link");
    EXPECT_FALSE(Download(Url(), temp.Path() / "link" / "x.bin", kDefaultDownloadCap, digest,
                          nullptr)
                     .ok);
}

TEST_F(DownloaderTest, TheOverallDeadlineGrowsWithTheDownloadsSize) {
    HttpSettings settings;
    settings.allowLoopbackHttp = true;
    settings.totalTimeoutMs = 200;
    // 300000 bytes at 1 MB/s may take 0.5 s in all; the paced server needs 0.6 s.
    settings.downloadMinBytesPerSecond = 1000000;
    SetHttpDefaults(settings);
    const auto start = std::chrono::steady_clock::now();
    auto result = Download(Url("paced.bin"), folder / "paced.bin", kDefaultDownloadCap, digest,
                           nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("not complete within"), std::string::npos) << result.error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_FALSE(fs::exists(folder / "paced.bin"));
    EXPECT_FALSE(fs::exists(folder / "paced.bin.part"));
    // At 100 kB/s it may take 3.2 s: time enough.
    settings.downloadMinBytesPerSecond = 100000;
    SetHttpDefaults(settings);
    result = Download(Url("paced.bin"), folder / "paced.bin", kDefaultDownloadCap, digest, nullptr);
    EXPECT_TRUE(result.ok) << result.error;
}

TEST_F(DownloaderTest, OverHttpsWithDeployedSettingsOnlyAVouchedServerIsUsed) {
    const auto& certs = vivori::testing::Certificates::Get();
    ASSERT_FALSE(certs.folder.empty()) << "openssl could not make the certificates";
    const auto routes = [this](httplib::Server& s) {
        s.Get("/r40.bin", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(blob, "application/octet-stream");
        });
    };
    auto vouched = LocalServer::Https(certs.serverCert, certs.serverKey, routes);
    auto self = LocalServer::Https(certs.selfCert, certs.selfKey, routes);
    HttpSettings deployed;  // https only
    deployed.extraCaFile = certs.caCert.string();
    SetHttpDefaults(deployed);
    const auto url = [](const LocalServer& server) {
        return "https://127.0.0.1:" + std::to_string(server.Port()) + "/r40.bin";
    };
    auto result = Download(url(*self), folder / "r40.bin", kDefaultDownloadCap, digest, nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(fs::exists(folder / "r40.bin"));
    result = Download(url(*vouched), folder / "r40.bin", kDefaultDownloadCap, digest, nullptr);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(vivori::testing::ReadText(folder / "r40.bin"), blob);
}

// The updater program itself, against an update folder another user made first: it
// must refuse the folder and write nothing through what that user left in it.
class UpdaterProcessTest : public DownloaderTest {
  protected:
    // Runs the updater with its cache under `cache`; its exit status and output.
    std::pair<int, std::string> RunUpdater(const fs::path& cache, const std::string& name) {
        const std::string command = "env XDG_CACHE_HOME='" + cache.string() +
                                    "' XDG_RUNTIME_DIR='" + (temp.Path() / "run").string() +
                                    "' '" VIVORI_UPDATER "' --allow-loopback-http --row '" +
                                    Url() + "' '" + name + "' " + digest + " 2>&1";
        fs::create_directories(temp.Path() / "run");
        fs::permissions(temp.Path() / "run", fs::perms::owner_all);
        std::string output;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return {-1, output};
        char line[512];
        while (std::fgets(line, sizeof line, pipe) != nullptr) output += line;
        const int status = pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
    }
    fs::path PlantedUpdateFolder(const fs::path& cache) {
        return cache / std::string(profiles::kApplicationName) / "UpdateData";
    }
};

TEST_F(UpdaterProcessTest, DownloadsIntoItsPrivateFolderAndRefusesOnePlantedByAnotherUser) {
    const fs::path mine = temp.Path() / "cache-mine";
    auto [status, output] = RunUpdater(mine, "../r40 firmware.bin");
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(vivori::testing::ReadText(PlantedUpdateFolder(mine) / "r40 firmware.bin"), blob);
    struct stat info {};
    ASSERT_EQ(lstat(PlantedUpdateFolder(mine).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    if (geteuid() != 0)
        GTEST_SKIP() << "not root: a folder owned by another user cannot be planted here";
    // Another user made the folder first (open to all, as /tmp folders are), with a
    // link named like the part file to a file of ours.
    const fs::path theirs = temp.Path() / "cache-theirs";
    const fs::path planted = PlantedUpdateFolder(theirs);
    fs::create_directories(planted);
    const fs::path victim = temp.Path() / "victim";
    vivori::testing::WriteText(victim, "keep me");
    fs::create_symlink(victim, planted / "r40.bin.part");
    for (const fs::path& folder : {planted.parent_path(), planted}) {
        ASSERT_EQ(lchown(folder.c_str(), kOtherUser, kOtherUser), 0);
        ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    }
    std::tie(status, output) = RunUpdater(theirs, "r40.bin");
    EXPECT_EQ(status, 1) << output;
    EXPECT_NE(output.find("private"), std::string::npos) << output;
    EXPECT_EQ(vivori::testing::ReadText(victim), "keep me");
    EXPECT_FALSE(fs::exists(planted / "r40.bin"));
    // Owned by the other user but closed to others: still not ours.
    ASSERT_EQ(chmod(planted.parent_path().c_str(), 0700), 0);
    ASSERT_EQ(chmod(planted.c_str(), 0700), 0);
    std::tie(status, output) = RunUpdater(theirs, "r40.bin");
    EXPECT_EQ(status, 1) << output;
    EXPECT_EQ(vivori::testing::ReadText(victim), "keep me");
}

}  // namespace
