#include "EditorFixture.h"

#include "dialogs/NewItemsForm.h"
#include "util/Exception.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

using namespace wpe;
using namespace wpe::test;

namespace {

// Serves one HTTP response on loopback from a thread of its own, since the
// download blocks the thread that asks for it.
class OneShotServer {
public:
    explicit OneShotServer(std::string body, std::string status = "200 OK")
        : body_(std::move(body)), status_(std::move(status)) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(fd_, 1);
        socklen_t len = sizeof addr;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~OneShotServer() {
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        thread_.join();
    }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::string request;

private:
    void serve() {
        int client = ::accept(fd_, nullptr, nullptr);
        if (client < 0)
            return;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            ssize_t n = ::read(client, buffer, sizeof buffer);
            if (n <= 0)
                break;
            request.append(buffer, size_t(n));
        }
        std::string response = "HTTP/1.0 " + status_ + "\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                                std::to_string(body_.size()) + "\r\n\r\n" + body_;
        ssize_t sent = ::write(client, response.data(), response.size());
        (void)sent;
        ::close(client);
    }

    std::string body_;
    std::string status_;
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

class NewItemsTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        owner_ = std::make_unique<QWidget>();
        NewItemsActions actions;
        actions.newWebPart = [this] { ++newParts; };
        actions.newWebPartTab = [this]() -> IDocumentEditor* {
            ++newTabs;
            return editor.get();
        };
        actions.newSkin = [this] { ++newSkins; };
        form = &TNewItemsForm::Of(owner_.get(), actions);
    }
    QLineEdit* url() const { return form->findChild<QLineEdit*>("edtURL"); }

    std::unique_ptr<QWidget> owner_;
    TNewItemsForm* form = nullptr;
    int newParts = 0, newTabs = 0, newSkins = 0;
};

} // namespace

TEST_F(NewItemsTest, StartsWithWebPartAndIsReused) {
    EXPECT_EQ(form->Choice(), 0);
    EXPECT_FALSE(url()->isEnabled());
    EXPECT_EQ(url()->text(), "http://");
    form->Choose(2);
    EXPECT_EQ(&TNewItemsForm::Of(owner_.get(), {}), form);
    EXPECT_EQ(form->Choice(), 2);
    EXPECT_FALSE(form->findChild<QRadioButton*>("rbWebPart")->isChecked());
}

TEST_F(NewItemsTest, ClipboardAddressIsTakenOnlyForFeeds) {
    struct Case {
        const char* clipboard;
        const char* field;
    } cases[] = {
        {"ftp://files.example/news.rss", "ftp://files.example/news.rss"},
        {"  http://example.org/feed  ", "http://example.org/feed"},
        {"http://example.org/page.html", "http://"},
        {"HTTP://EXAMPLE.ORG/RSS.XML", "http://"},
        {"rss.example.org without scheme", "http://"},
    };
    for (const Case& c : cases) {
        url()->setText("http://");
        QGuiApplication::clipboard()->setText(c.clipboard);
        form->Choose(1);
        EXPECT_EQ(url()->text().toStdString(), c.field) << c.clipboard;
        EXPECT_TRUE(url()->isEnabled());
        form->Choose(0);
        EXPECT_FALSE(url()->isEnabled());
    }
}

TEST_F(NewItemsTest, WebPartAndSkinChoicesRunTheirCommands) {
    form->Choose(0);
    form->CreateChosenItem();
    form->Choose(2);
    form->CreateChosenItem();
    EXPECT_EQ(newParts, 1);
    EXPECT_EQ(newSkins, 1);
    EXPECT_EQ(newTabs, 0);
    EXPECT_TRUE(form->isHidden());
}

TEST_F(NewItemsTest, NoConnectionIsAnErrorAndNoTab) {
    form->SetInternetCheck([] { return false; });
    form->Choose(1);
    url()->setText("http://example.org/rss.xml");
    form->CreateChosenItem();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Cannot download RSS file - no Internet connection available"});
    EXPECT_EQ(newTabs, 0);
}

TEST_F(NewItemsTest, FailedDownloadIsAnErrorAndNoTab) {
    form->SetInternetCheck([] { return true; });
    form->Choose(1);
    // The real download, refused by a server on loopback.
    OneShotServer server("<html>gone</html>", "404 Not Found");
    const std::string address = server.url("/rss.xml");
    url()->setText(QString::fromStdString(address));
    form->CreateChosenItem();
    EXPECT_EQ(dialogs.Texts(),
              std::vector<std::string>{"Cannot download \"" + address + "\": the server answered 404 Not Found"});
    EXPECT_NE(server.request.find("GET /rss.xml"), std::string::npos) << server.request;
    EXPECT_EQ(newTabs, 0);
}

TEST_F(NewItemsTest, ImportsAFeedServedOnLoopback) {
    OneShotServer server("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
                         "<title>Loopback News</title><link>http://news.example/</link>"
                         "<description>Fresh</description><language>en</language></channel></rss>");
    form->SetInternetCheck([] { return true; });
    form->Choose(1);
    url()->setText(QString::fromStdString("  " + server.url("/feed.rss") + " "));

    form->CreateChosenItem();

    EXPECT_TRUE(dialogs.shown.empty()) << (dialogs.shown.empty() ? "" : dialogs.shown[0].text);
    EXPECT_EQ(newTabs, 1);
    EXPECT_NE(server.request.find("GET /feed.rss"), std::string::npos);
    EXPECT_NE(server.request.find("User-Agent: wpeditor"), std::string::npos) << server.request;
    EXPECT_EQ(editor->findChild<QLineEdit*>("Title")->text(), "Loopback News");
    EXPECT_EQ(editor->findChild<QLineEdit*>("Description")->text(), "Fresh");
    EXPECT_EQ(editor->findChild<QLineEdit*>("ContentLink")->text().toStdString(), server.url("/feed.rss"));
}

TEST_F(EditorTest, FeedsFromTheCorpusImportWithoutLoss) {
    const char* corpus = std::getenv("WPE_CORPUS_DIR");
    std::filesystem::path folder = corpus ? std::filesystem::path(corpus) / "rss" : std::filesystem::path();
    if (!corpus || !std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no feed corpus";
    // Feeds that are broken on purpose may be refused, but only with a message.
    const std::vector<std::string> broken = {"feedparser_rss_incomplete_cdata.xml", "feedparser_utf-16le-bom.xml",
                                             "rome_atom_1.0.xml", "feedjira_FeedjiraBlog.xml"};
    int imported = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name == "MANIFEST.tsv")
            continue;
        TNewTab tab(*services);
        services->active = &tab;
        dialogs.shown.clear();
        tab.NewFromRss(ReadFile(entry.path().string()), "http://feeds.example/" + name);
        bool isBroken = std::find(broken.begin(), broken.end(), name) != broken.end();
        if (!isBroken) {
            EXPECT_TRUE(dialogs.shown.empty()) << name << ": " << (dialogs.shown.empty() ? "" : dialogs.shown[0].text);
            EXPECT_EQ(tab.PageControl()->currentIndex(), TNewTab::kBasic) << name;
            EXPECT_EQ(tab.findChild<QComboBox*>("ContentType")->currentIndex(), 3) << name;
        }
        if (dialogs.shown.empty())
            ++imported;
    }
    services->active = editor.get();
    EXPECT_GE(imported, 20);
}
