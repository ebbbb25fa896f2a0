#include "platform/hostinfo.h"
#include "platform/process.h"

#include "support/tempdir.h"
#include "support/urlrecorder.h"

#include <QDesktopServices>
#include <QDir>
#include <QHostAddress>
#include <QHostInfo>
#include <QRegularExpression>
#include <QUrl>
#include <gtest/gtest.h>

using namespace bkp::platform;

namespace {

using bkp::test::UrlRecorder;

class InstalledHandlers {
public:
    explicit InstalledHandlers(UrlRecorder *r) {
        for (const char *scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(scheme, r, "open");
    }
    ~InstalledHandlers() {
        for (const char *scheme : {"file", "http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
};

} // namespace

TEST(HostInfo, OpenDocumentHandsFilesAndAddressesToTheDesktop) {
    bkp::test::TempDir dir;
    const QString page = dir.write("Listagens/backups.html", "<html></html>");
    UrlRecorder recorder;
    InstalledHandlers handlers(&recorder);

    EXPECT_TRUE(openDocument(dir.path() + "/LISTAGENS/BACKUPS.HTML"));
    EXPECT_TRUE(openDocument("https://www.zelto.com.br/ajuda"));
    EXPECT_TRUE(openDocument("www.zelto.com.br"));
    EXPECT_FALSE(openDocument("  "));
    ASSERT_EQ(recorder.opened.size(), 3);
    EXPECT_EQ(recorder.opened[0], QUrl::fromLocalFile(page));
    EXPECT_EQ(recorder.opened[1], QUrl("https://www.zelto.com.br/ajuda"));
    EXPECT_EQ(recorder.opened[2].host(), "www.zelto.com.br");
}

TEST(Process, ExplorerLineOpensTheFileWithItsProgram) {
    bkp::test::TempDir dir;
    const QString script = dir.write("Instalador/Setup BKP.iss", "[Setup]\n");
    UrlRecorder recorder;
    InstalledHandlers handlers(&recorder);

    EXPECT_TRUE(
        winExec("explorer.exe " + dir.path() + "/instalador/setup bkp.iss", SW_SHOWMAXIMIZED));
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl::fromLocalFile(script));
}
