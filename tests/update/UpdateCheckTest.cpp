#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>

#include "LocalServers.h"
#include "profiles/TempFolder.h"
#include "update/HttpClient.h"
#include "update/UpdateCheck.h"

using namespace vivori;
using namespace vivori::update;
using vivori::testing::Certificates;
using vivori::testing::LocalServer;

namespace {

// What the service received last, and what it answers.
struct Service {
    std::mutex lock;
    std::string body, contentType, accept, contentLength;
    std::string answer = R"({"name":"R40 firmware","version":"106","version_name":"1.0.6",)"
                         R"("path":"https://example.invalid/r40.bin","device_id":7,)"
                         R"("sha256":"A665A45920422F9D417E4867EFDC4FB8A04A1F3FFF1FA07E998E86F7F7A27AE3"})";
    int delayMs = 0;

    LocalServer::Routes Routes() {
        return [this](httplib::Server& server) {
            server.Post("/api/updates",
                        [this](const httplib::Request& request, httplib::Response& response) {
                            std::string reply;
                            int delay = 0;
                            {
                                std::lock_guard guard(lock);
                                body = request.body;
                                contentType = request.get_header_value("Content-Type");
                                accept = request.get_header_value("Accept");
                                contentLength = request.get_header_value("Content-Length");
                                reply = answer;
                                delay = delayMs;
                            }
                            if (delay)
                                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                            response.set_content(reply, "application/json");
                        });
        };
    }
};

class UpdateCheckTest : public ::testing::Test {
  protected:
    // The local services speak plain http to 127.0.0.1, which only this lets through.
    static HttpSettings Local() {
        HttpSettings settings;
        settings.allowLoopbackHttp = true;
        return settings;
    }
    void SetUp() override { SetHttpDefaults(Local()); }
    void TearDown() override { SetHttpDefaults(HttpSettings{}); }

    CatalogueRow Device(uint32_t version) {
        CatalogueRow row;
        row.kind = 2;
        row.version = version;
        row.vendorCode = "VLT";
        row.modelCode = "R40";
        row.productName = "TRIVEXMS";
        row.displayName = "R40";
        return row;
    }

    vivori::testing::TempFolder temp;
    Service service;
};

TEST_F(UpdateCheckTest, DeviceVersionsAreHexAndTheApplicationsDecimal) {
    auto server = LocalServer::Http(service.Routes());
    const auto folder = temp.Path() / "UpdateData";
    const CheckedRow device = CheckRow(server->Url(), Device(0x0105), folder);
    EXPECT_EQ(device.state, kStateNeedUpdate);  // 0x106 > 0x105
    EXPECT_EQ(device.currentVersionText, "V0105");
    EXPECT_EQ(device.newVersionText, "V106");
    EXPECT_EQ(device.downloadPath, "https://example.invalid/r40.bin");
    // Named as what the download is, its digest read in lower case.
    EXPECT_EQ(device.localFile, folder / "R40 firmware.bin");
    EXPECT_EQ(device.sha256, "a665a45920422f9d417e4867efdc4fb8a04a1f3fff1fa07e998e86f7f7a27ae3");
    {
        std::lock_guard guard(service.lock);
        // The body goes with its terminating zero, the headers one by one.
        EXPECT_EQ(service.body, std::string("app_key=VLT_2_R40_TRIVEXMS_1&version=105") + '\0');
        EXPECT_EQ(service.contentLength, std::to_string(service.body.size()));
        EXPECT_EQ(service.contentType, "application/x-www-form-urlencoded");
        EXPECT_EQ(service.accept, "application/prs.Zunik.v1+json");
        service.answer = R"({"name":"AP","version":"120","version_name":"1.2.0"})";
    }
    CatalogueRow app = Device(120);
    app.kind = 0;
    const CheckedRow same = CheckRow(server->Url(), app, folder);
    EXPECT_EQ(same.state, kStateUpToDate);
    EXPECT_EQ(same.currentVersionText, "1.2.0");
    EXPECT_EQ(same.newVersionText, "");
    {
        std::lock_guard guard(service.lock);
        EXPECT_NE(service.body.find("&version=120"), std::string::npos);
        service.answer = R"({"name":"AP","version":"121","version_name":"1.2.1"})";
    }
    EXPECT_EQ(CheckRow(server->Url(), app, folder).newVersionText, "1.2.1");
    // Not a number: never newer.
    {
        std::lock_guard guard(service.lock);
        service.answer = R"({"name":"AP","version":"soon"})";
    }
    EXPECT_EQ(CheckRow(server->Url(), app, folder).state, kStateUpToDate);
    EXPECT_EQ(InstalledVersion(), VersionNumber("2.0.0"));
    EXPECT_EQ(VersionNumber("1.0.5"), 105u);
    EXPECT_EQ(DottedVersion(InstalledVersion()), "2.0.0");
}

TEST_F(UpdateCheckTest, NoServerGivesTheMarkerAndStatusTwoWhenEveryRowFails) {
    int port = 0;
    { port = LocalServer::Http(service.Routes())->Port(); }  // a port nobody listens on now
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/api/";
    char buffer[64] = {};
    ResetHttpSettings();
    EXPECT_EQ(HttpRequest("POST", url + "updates", "x", 1, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "NO_LINK_SERVER");
    EXPECT_NE(HttpLastError(), 0);
    EXPECT_EQ(HttpRequest("PUT", url, nullptr, 0, buffer, sizeof buffer), -1);
    EXPECT_EQ(HttpLastError(), kErrorInvalidParameter);
    EXPECT_EQ(HttpRequest("GET", "", nullptr, 0, buffer, sizeof buffer), -1);
    EXPECT_EQ(HttpLastError(), kErrorPathNotFound);

    std::vector<CheckedRow> rows{CheckRow(url, Device(0x105), temp.Path()),
                                 CheckRow(url, Device(0x200), temp.Path())};
    EXPECT_TRUE(rows[0].failed);
    EXPECT_EQ(rows[0].state, kStateNotChecked);
    EXPECT_EQ(rows[0].currentVersionText, "V0105");
    EXPECT_EQ(OverallOf(rows), kOverallUnreachable);
    auto server = LocalServer::Http(service.Routes());
    // One answered row does not make the unanswered ones current.
    rows.push_back(CheckRow(server->Url(), Device(0x200), temp.Path()));
    EXPECT_EQ(OverallOf(rows), kOverallUnreachable);
    EXPECT_EQ(OverallOf({rows.back()}), kOverallUpToDate);
    rows.push_back(CheckRow(server->Url(), Device(0x105), temp.Path()));
    EXPECT_EQ(OverallOf(rows), kOverallUpdates);
}

// The proxy variables of this process, cleared while it lives and put back after.
class ProxyEnvironment {
  public:
    ProxyEnvironment() {
        for (const char* name : kNames) {
            if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
            unsetenv(name);
        }
    }
    ~ProxyEnvironment() {
        for (const char* name : kNames) unsetenv(name);
        for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    }

  private:
    static constexpr const char* kNames[] = {"http_proxy",  "HTTP_PROXY", "https_proxy",
                                             "HTTPS_PROXY", "all_proxy",  "ALL_PROXY",
                                             "no_proxy",    "NO_PROXY"};
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(UpdateCheckTest, AnUnreachableServiceIsAskedOnceMoreThroughTheConfiguredProxy) {
    ProxyEnvironment environment;
    // A plain HTTP proxy gets the whole address in its request line.
    std::mutex lock;
    std::vector<std::string> proxied;
    auto proxy = LocalServer::Http([&](httplib::Server& server) {
        server.Post(".*", [&](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard guard(lock);
            proxied.push_back(request.path + " " + request.body.c_str());
            response.set_content(R"({"name":"R40 firmware","version":"106","sha256":")" +
                                     std::string(64, 'a') + "\"}",
                                 "application/json");
        });
    });
    int port = 0;
    { port = LocalServer::Http(service.Routes())->Port(); }  // a port nobody listens on now
    const std::string unreachable = "http://127.0.0.1:" + std::to_string(port) + "/api/";

    // No proxy configured: the failure stands.
    CheckedRow row = CheckRow(unreachable, Device(0x105), temp.Path());
    EXPECT_TRUE(row.failed);
    EXPECT_EQ(row.state, kStateNotChecked);

    setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy->Port())).c_str(), 1);
    row = CheckRow(unreachable, Device(0x105), temp.Path());
    EXPECT_FALSE(row.failed);
    EXPECT_EQ(row.state, kStateNeedUpdate);
    EXPECT_EQ(row.newVersionText, "V106");
    {
        std::lock_guard guard(lock);
        EXPECT_EQ(proxied, std::vector<std::string>{
                               unreachable + "updates app_key=VLT_2_R40_TRIVEXMS_1&version=105"});
    }
    // A service that answers directly is not asked through the proxy.
    auto server = LocalServer::Http(service.Routes());
    EXPECT_EQ(CheckRow(server->Url(), Device(0x105), temp.Path()).state, kStateNeedUpdate);
    std::lock_guard guard(lock);
    EXPECT_EQ(proxied.size(), 1u);
}

TEST_F(UpdateCheckTest, SelfSignedCertificateIsRefusedAndTheConfiguredAuthorityAccepted) {
    const Certificates& certs = Certificates::Get();
    ASSERT_FALSE(certs.folder.empty()) << "openssl could not make the certificates";
    auto self = LocalServer::Https(certs.selfCert, certs.selfKey, service.Routes());
    const CheckedRow refused = CheckRow(self->Url("https"), Device(0x105), temp.Path());
    EXPECT_TRUE(refused.failed);
    EXPECT_EQ(refused.state, kStateNotChecked);

    auto signedServer = LocalServer::Https(certs.serverCert, certs.serverKey, service.Routes());
    EXPECT_TRUE(CheckRow(signedServer->Url("https"), Device(0x105), temp.Path()).failed);
    HttpSettings settings;  // https only, as it is deployed
    settings.extraCaFile = certs.caCert.string();
    SetHttpDefaults(settings);
    const CheckedRow accepted = CheckRow(signedServer->Url("https"), Device(0x105), temp.Path());
    EXPECT_FALSE(accepted.failed);
    EXPECT_EQ(accepted.state, kStateNeedUpdate);
    // The extra authority vouches for its own server only.
    EXPECT_TRUE(CheckRow(self->Url("https"), Device(0x105), temp.Path()).failed);
}

TEST_F(UpdateCheckTest, OversizedInvalidAndMistypedAnswersChangeNothingUnsafe) {
    auto server = LocalServer::Http(service.Routes());
    {
        std::lock_guard guard(service.lock);
        service.answer = R"({"name":")" + std::string(200000, 'x') + R"(","version":"999"})";
    }
    std::vector<char> buffer(kResponseCapacity, 0);
    ResetHttpSettings();
    EXPECT_EQ(HttpRequest("POST", server->Url() + "updates", "a", 1, buffer.data(), buffer.size()),
              int(kResponseCapacity - 1));
    EXPECT_EQ(buffer.back(), '\0');
    // Cut off, the answer is no answer: the row keeps its own values, not checked.
    CheckedRow row = CheckRow(server->Url(), Device(0x105), temp.Path());
    EXPECT_TRUE(row.failed);
    EXPECT_EQ(row.state, kStateNotChecked);

    for (const char* answer : {"not json", "[1,2]", "", "{\"name\":\"x\""}) {
        {
            std::lock_guard guard(service.lock);
            service.answer = answer;
        }
        row = CheckRow(server->Url(), Device(0x105), temp.Path());
        EXPECT_TRUE(row.failed) << answer;
        EXPECT_EQ(row.state, kStateNotChecked) << answer;
    }
    // An object with members of the wrong type is an answer about nothing it knows.
    for (const char* answer : {R"({"name":5,"version":"200"})",
                               R"({"name":"x","version":[1],"path":{},"device_id":"7"})",
                               // Device ids outside the signed 64-bit range.
                               R"({"name":"x","version":"1","device_id":18446744073709551615})",
                               R"({"name":"x","version":"1","device_id":1e19})"}) {
        {
            std::lock_guard guard(service.lock);
            service.answer = answer;
        }
        row = CheckRow(server->Url(), Device(0x105), temp.Path());
        EXPECT_EQ(row.state, kStateUpToDate) << answer;
        EXPECT_TRUE(row.downloadPath.empty()) << answer;
    }
}

TEST_F(UpdateCheckTest, LocalFilesStayInsideTheUpdateFolder) {
    const std::filesystem::path folder = "/tmp/UpdateData";
    for (const char* name : {"../../etc/passwd", "/etc/cron.d/x", "..\\..\\win", "..", ".hidden",
                             "a/b/../c", "", "ok name"}) {
        const auto file = SafeLocalFile(folder, name);
        EXPECT_EQ(file.parent_path(), folder) << name;
        const std::string base = file.filename().string();
        EXPECT_NE(base.front(), '.') << name;
        EXPECT_EQ(base.find('/'), std::string::npos) << name;
    }
    EXPECT_EQ(SafeLocalFile(folder, "../../etc/passwd").filename(), "passwd");
    EXPECT_EQ(SafeLocalFile(folder, "ok name").filename(), "ok name");
    // The extension says what the download is; no program suffix of another system.
    EXPECT_EQ(SafeLocalFile(folder, "fw", ".bin").filename(), "fw.bin");
    EXPECT_EQ(SafeLocalFile(folder, "fw.bin", ".bin").filename(), "fw.bin");
    EXPECT_EQ(DownloadExtension("https://h/a/vivori_2.0.1_amd64.deb?x=1.exe"), ".deb");
    EXPECT_EQ(DownloadExtension("https://h/a/r40.bin#part"), ".bin");
    EXPECT_EQ(DownloadExtension("https://h/a/noextension"), "");
    EXPECT_EQ(DownloadExtension("https://h/a/x.b/in"), "");
    EXPECT_EQ(DownloadExtension("https://h/a/x.tar gz"), "");
    EXPECT_EQ(DownloadExtension("https://h/.hidden"), "");

    // Two answers naming one file (even a name at the length limit) download to two.
    const std::string longName(200, 'x');
    std::vector<CheckedRow> rows(5);
    rows[0].localFile = SafeLocalFile(folder, "fw", ".bin");
    rows[1].localFile = SafeLocalFile(folder, "fw", ".bin");
    rows[3].localFile = SafeLocalFile(folder, longName);
    rows[4].localFile = SafeLocalFile(folder, longName);
    MakeLocalFilesDistinct(rows);
    EXPECT_EQ(rows[0].localFile.filename(), "fw.bin");
    EXPECT_EQ(rows[1].localFile.filename(), "fw (2).bin");
    EXPECT_TRUE(rows[2].localFile.empty());
    EXPECT_NE(rows[3].localFile, rows[4].localFile);
    EXPECT_EQ(rows[4].localFile.parent_path(), folder);
}

TEST_F(UpdateCheckTest, SlowServerRunsIntoTheTimeOut) {
    auto server = LocalServer::Http(service.Routes());
    {
        std::lock_guard guard(service.lock);
        service.delayMs = 2500;
    }
    HttpSettings quick = Local();
    quick.receiveTimeoutMs = 1000;
    quick.sendTimeoutMs = 1000;
    SetHttpDefaults(quick);
    const auto start = std::chrono::steady_clock::now();
    const CheckedRow row = CheckRow(server->Url(), Device(0x105), temp.Path());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(row.failed);
    EXPECT_LT(took, std::chrono::milliseconds(2400));
}

TEST_F(UpdateCheckTest, CatalogueAndCheckDateFiles) {
    const auto rows = LoadCatalogue(VIVORI_DEFAULT_DATA_DIR "/update_catalogue.json");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3].kind, 0u);
    // Rows are matched by the attached device's ids, not by position.
    const auto checked = RowsToCheck(rows, {{0x320F, 0x2003, 0x0105}});
    ASSERT_EQ(checked.size(), 2u);
    EXPECT_EQ(checked[0].displayName, "Mouse");
    EXPECT_EQ(checked[0].nameKey, "ms_device_name_text");
    EXPECT_EQ(checked[0].version, 0x0105u);
    EXPECT_EQ(ApplicationKey(checked[1]), "VLT_0_APP_TRIVEXV2_1");
    CatalogueRow none;
    EXPECT_EQ(ApplicationKey(none), "NULL");

    const profiles::DataFolders folders = temp.Folders();
    EXPECT_FALSE(ReadCheckDate(folders));
    ASSERT_TRUE(WriteCheckDate(folders, TodayText()));
    const auto date = ReadCheckDate(folders);
    ASSERT_TRUE(date);
    int year = 0, month = 0, day = 0;
    ASSERT_EQ(std::sscanf(date->c_str(), "%d-%d-%d", &year, &month, &day), 3);
    EXPECT_GE(year, 2024);
    EXPECT_LE(month, 12);
}

TEST_F(UpdateCheckTest, OnlyHttpsIsAskedAndPlainHttpToTheLoopbackOnlyWhenAllowed) {
    HttpSettings deployed;
    EXPECT_TRUE(AddressAllowed("https://updates.example/api/", deployed));
    EXPECT_TRUE(AddressAllowed("HTTPS://updates.example/api/", deployed));
    std::string why;
    EXPECT_FALSE(AddressAllowed("http://updates.example/api/", deployed, &why));
    EXPECT_NE(why.find("not an https address"), std::string::npos);
    EXPECT_FALSE(AddressAllowed("http://127.0.0.1:8080/api/", deployed));
    EXPECT_FALSE(AddressAllowed("ftp://updates.example/", deployed));
    const HttpSettings local = Local();
    EXPECT_TRUE(AddressAllowed("http://127.0.0.1:8080/api/", local));
    EXPECT_TRUE(AddressAllowed("http://127.0.0.1/api/", local));
    // A name that merely starts like the loopback address is somewhere else.
    EXPECT_FALSE(AddressAllowed("http://127.0.0.1.example.com/api/", local));
    EXPECT_FALSE(AddressAllowed("http://127.0.0.1@example.com/api/", local));
    EXPECT_FALSE(AddressAllowed("http://localhost:8080/api/", local));

    // Deployed settings never send the request to a plain http service.
    auto server = LocalServer::Http(service.Routes());
    SetHttpDefaults(deployed);
    const CheckedRow row = CheckRow(server->Url(), Device(0x105), temp.Path());
    EXPECT_TRUE(row.failed);
    EXPECT_EQ(row.state, kStateNotChecked);
    std::lock_guard guard(service.lock);
    EXPECT_TRUE(service.body.empty()) << "the service was asked: " << service.body;
}

TEST_F(UpdateCheckTest, AnUpdateWithoutAUsableDigestIsRefusedAndSaysSo) {
    auto server = LocalServer::Http(service.Routes());
    for (const char* sha : {"", R"(,"sha256":"abc")", R"(,"sha256":5)",
                            R"(,"sha256":"zz65a45920422f9d417e4867efdc4fb8a04a1f3fff1fa07e998e86f7f7a27ae3")"}) {
        {
            std::lock_guard guard(service.lock);
            service.answer = std::string(R"({"name":"R40 firmware","version":"106","path":)") +
                             R"("https://example.invalid/r40.bin")" + sha + "}";
        }
        const CheckedRow row = CheckRow(server->Url(), Device(0x105), temp.Path());
        EXPECT_FALSE(row.failed) << sha;
        EXPECT_EQ(row.state, kStateFailed) << sha;
        EXPECT_EQ(row.refusal, "update_no_digest_text") << sha;
        EXPECT_FALSE(Offered(row)) << sha;
        EXPECT_EQ(OverallOf({row}), kOverallUnreachable) << sha;
    }
    // Up to date needs no digest.
    {
        std::lock_guard guard(service.lock);
        service.answer = R"({"name":"R40 firmware","version":"105"})";
    }
    const CheckedRow current = CheckRow(server->Url(), Device(0x105), temp.Path());
    EXPECT_EQ(current.state, kStateUpToDate);
    EXPECT_TRUE(current.refusal.empty());
}

TEST_F(UpdateCheckTest, ErrorStatusesRedirectsAndCutOffAnswersAreFailures) {
    std::atomic<bool> done{false};
    auto server = LocalServer::Http([&](httplib::Server& s) {
        s.Post("/api/updates", [&](const httplib::Request& request, httplib::Response& response) {
            const std::string body = request.body.c_str();
            if (body.find("version=404") != std::string::npos) {
                response.status = 404;
                response.set_content(R"({"name":"AP","version":"999"})", "application/json");
            } else if (body.find("version=302") != std::string::npos) {
                response.status = 302;
                response.set_header("Location", "https://example.invalid/");
            } else if (body.find("version=500") != std::string::npos) {
                response.status = 500;
            } else {
                response.set_content_provider(
                    300, "application/json", [](size_t offset, size_t, httplib::DataSink& sink) {
                        if (offset > 0) return false;
                        return sink.write(R"({"name":"AP","version":"999"})", 29);
                    });
            }
        });
        // A service that never finishes its answer, a byte at a time.
        s.Post("/slow/updates", [&](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider(
                "application/json", [&](size_t offset, httplib::DataSink& sink) {
                    if (done || offset > 100) return false;
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    return sink.write(" ", 1);
                });
        });
    });
    for (uint32_t version : {0x404u, 0x302u, 0x500u, 0x777u}) {
        const CheckedRow row = CheckRow(server->Url(), Device(version), temp.Path());
        EXPECT_TRUE(row.failed) << std::hex << version;
        EXPECT_EQ(row.state, kStateNotChecked) << std::hex << version;
    }
    HttpSettings quick = Local();
    quick.totalTimeoutMs = 600;
    SetHttpDefaults(quick);
    const auto start = std::chrono::steady_clock::now();
    const std::string slow = "http://127.0.0.1:" + std::to_string(server->Port()) + "/slow/";
    const CheckedRow row = CheckRow(slow, Device(0x105), temp.Path());
    EXPECT_TRUE(row.failed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    done = true;
}

}  // namespace
