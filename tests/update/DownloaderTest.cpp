#include <gtest/gtest.h>

#include "LocalServers.h"
#include "profiles/TempFolder.h"
#include "update/Downloader.h"
#include "update/HttpClient.h"

using namespace vivori;
using namespace vivori::update;
using vivori::testing::LocalServer;

namespace {

std::string Blob() {
    std::string data(300000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7 + (i >> 8));
    return data;
}

class DownloaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetHttpDefaults(HttpSettings{});
        // The digest of the blob, taken from a copy on disk.
        vivori::testing::WriteText(temp / "reference", blob);
        digest = FileSha256(temp / "reference");
    }
    std::unique_ptr<LocalServer> server = LocalServer::Http([this](httplib::Server& s) {
        s.Get("/r40.bin", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(blob, "application/octet-stream");
        });
    });
    std::string blob = Blob();
    std::string digest;
    vivori::testing::TempFolder temp;
    std::string Url() const {
        return "http://127.0.0.1:" + std::to_string(server->Port()) + "/r40.bin";
    }
};

TEST_F(DownloaderTest, DownloadsWithProgressAndChecksTheDigest) {
    ASSERT_EQ(digest.size(), 64u);
    std::vector<int> progress;
    const auto target = temp.Path() / "UpdateData" / "r40.exe";
    const auto result = Download(Url(), target, kDefaultDownloadCap, digest,
                                 [&](int percent) { progress.push_back(percent); });
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.bytes, blob.size());
    EXPECT_EQ(vivori::testing::ReadText(target), blob);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST_F(DownloaderTest, DigestMismatchSizeCapAndBadAddressLeaveNoFile) {
    const auto target = temp.Path() / "UpdateData" / "r40.exe";
    std::string wrong = digest;
    wrong[0] = wrong[0] == '0' ? '1' : '0';
    auto result = Download(Url(), target, kDefaultDownloadCap, wrong, nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("SHA-256 mismatch"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_FALSE(std::filesystem::exists(target.string() + ".part"));

    result = Download(Url(), target, 1000, "", nullptr);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("larger than 1000"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(target));

    EXPECT_FALSE(Download("file:///etc/passwd", target, kDefaultDownloadCap, "", nullptr).ok);
    EXPECT_FALSE(Download(Url() + "-missing", target, kDefaultDownloadCap, "", nullptr).ok);
    EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
