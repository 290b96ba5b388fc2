// SPDX-License-Identifier: GPL-3.0-or-later
// Saving from the workspace with fake controls: the name and filters the save dialog offers,
// the folder it opens in, download versus document save, and what a failure says.
#include "WorkspaceFixture.h"

#include "ModalDriver.h"
#include "platform/Paths.h"
#include "res/Resource.h"
#include "workspace/SaveCommands.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Handler = CModalDriver::Handler;

TEST(SaveCommandsNames, SplitFileNameTakesTheLastSegmentAndItsExtension)
{
    const struct
    {
        const char* address;
        const char* name;
        const char* extension; // null: none
    } cases[] = {
        {"http://h.example/img/PIC.GIF", "PIC.GIF", "GIF"},
        {"http://h.example/a.b/archive", "archive", nullptr},
        {"http://h.example/dir/", "", nullptr},
        {"C:\\files\\notes.v2.txt", "notes.v2.txt", "txt"},
        {"http://h.example/x\\y/z.tar.gz", "z.tar.gz", "gz"},
        {"page.", "page.", ""},
        {"plain", "plain", nullptr},
        {"", "", nullptr},
        // A web address's query and fragment are not part of the name; its name is decoded.
        {"http://h.example/3/library/index.html#library-index", "index.html", "html"},
        {"https://h.example/find.php?q=a/b.c&x=1#top", "find.php", "php"},
        {"http://h.example/dir/#frag.x", "", nullptr},
        {"http://h.example/my%20notes%2Fv2.txt", "my notes_v2.txt", "txt"},
        {"C:\\files\\a#b.txt", "a#b.txt", "txt"},
    };
    for (const auto& c : cases) {
        const CSaveCommands::FileName f = CSaveCommands::SplitFileName(c.address);
        EXPECT_EQ(f.name, c.name) << c.address;
        EXPECT_EQ(f.bHasExtension, c.extension != nullptr) << c.address;
        EXPECT_EQ(f.extension, c.extension ? c.extension : "") << c.address;
    }
}

TEST(SaveCommandsNames, FilterFollowsTheBeginningOfTheTypeText)
{
    const struct
    {
        const char* type;
        bool bDownloadIn;
        int nFilter;
        const char* suffix;
        bool bDownload;
    } cases[] = {
        {"HTML Document", false, IDS_FILTER_HTML, "htm", false},
        {"htm", true, IDS_FILTER_HTML, "htm", true},
        {"GIF Image", false, IDS_FILTER_GIF, "gif", true},
        {"gif", true, IDS_FILTER_GIF, "gif", true},
        {"JPEG Image", false, IDS_FILTER_JPG, "jpg", true},
        {"Jpg", true, IDS_FILTER_JPG, "jpg", true},
        {"JPE", false, IDS_FILTER_ALL, "", false},
        {".TXT", false, IDS_FILTER_ALL, "", false},
        {"*", true, IDS_FILTER_ALL, "", true},
        {"HT", false, IDS_FILTER_ALL, "", false},
        {"", false, IDS_FILTER_ALL, "", false},
    };
    for (const auto& c : cases) {
        const CSaveCommands::FilterChoice f = CSaveCommands::ChooseFilter(c.type, c.bDownloadIn);
        EXPECT_EQ(f.nFilterID, c.nFilter) << c.type;
        EXPECT_EQ(f.defaultSuffix, c.suffix) << c.type;
        EXPECT_EQ(f.bDownload, c.bDownload) << c.type;
    }
}

TEST(SaveCommandsNames, SaveAsProposesTheNameWithTheExtensionOfTheType)
{
    const struct
    {
        const char* address;
        const char* type;
        const char* proposed;
    } cases[] = {
        {"http://h.example/3/library/index.html#library-index", "HTML Document", "index.html"},
        {"http://h.example/a/Page.HTM?x=1", "HTML Document", "Page.HTM"},
        {"http://h.example/a/page.php?id=3", "HTML Document", "page.php.htm"},
        {"http://h.example/3/library/", "HTML Document", "index.htm"},
        {"http://h.example/search?q=x", "HTML Document", "search.htm"},
        {"http://h.example/p/photo.jpeg", "JPEG Image", "photo.jpeg"},
        {"http://h.example/p/photo?size=2", "JPEG Image", "photo.jpg"},
        {"http://h.example/p/anim.gif#x", "GIF Image", "anim.gif"},
        {"http://h.example/notes.txt?v=2", "Text Document", "notes.txt"},
        {"http://h.example/", "Text Document", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSaveCommands::ProposedName(c.address, c.type), c.proposed) << c.address;
}

class SaveCommandsTest : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("sub"));
    }
    CFakeBrowserControl* Page() const { return Control(form->GetActivePane()); }
    // The page inspection found a link and an image; the page menu's commands use them.
    void Inspect(const QString& link, const QString& image)
    {
        CFakeBrowserControl* page = Page();
        form->GetActivePane()->InspectAt(page->mapToGlobal(QPoint(10, 10)), [](int) {});
        ASSERT_FALSE(page->m_elementQueries.isEmpty());
        BrowserElement img;
        img.tag = "IMG";
        img.src = image;
        BrowserElement a;
        a.tag = "A";
        a.href = link;
        page->m_elementQueries.takeLast()(BrowserElementPath{true, {img, a}});
    }
    // Checks what the dialog offers and chooses a file in it.
    static Handler Choose(const QString& folder, const QStringList& filters, const QString& suffix,
                          const QString& proposed, const QString& path)
    {
        return [=](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->directory().absolutePath(), QDir(folder).absolutePath());
            EXPECT_EQ(dialog->nameFilters(), filters);
            EXPECT_EQ(dialog->defaultSuffix(), suffix);
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
            EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            const QString name = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
            EXPECT_EQ(name, proposed);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path);
            static_cast<QDialog*>(dialog)->accept();
        };
    }
    static Handler Message(const QString& text)
    {
        return [text](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), text);
            box->button(QMessageBox::Ok)->click();
        };
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    const QStringList kAll{"All Files (*)"};
    const QStringList kGif{"GIF Files (*.gif)", "All Files (*)"};
    const QStringList kHtml{"HTML Files (*.htm *.html)", "All Files (*)"};
};

TEST_F(SaveCommandsTest, SavesOfTheMenuDownloadAndTheNextDialogOpensWhereTheLastFileWent)
{
    Open();
    CFakeBrowserControl* page = Page();
    Inspect("http://l.example/files/archive", "http://i.example/img/PIC.GIF");
    EXPECT_TRUE(form->SaveCommands()->LastSaveFolder().isEmpty());
    {
        CModalDriver driver({Choose(DownloadsFolder(), kAll, "", "archive", Path("sub/saved"))});
        ASSERT_TRUE(frame->SendCommand(ID_CONTEXT_SAVE_TARGET_AS));
        ASSERT_TRUE(WaitFor([&] { return !page->m_saveRequests.isEmpty(); }));
        EXPECT_EQ(driver.Handled(), 1);
    }
    EXPECT_EQ(page->Calls().filter("Save"),
              QStringList{"SaveAddressToFile http://l.example/files/archive " + Path("sub/saved")});
    EXPECT_EQ(form->SaveCommands()->LastSaveFolder(), Path("sub") + "/");
    page->m_saveRequests.takeFirst()(true);

    // The image, in capitals: its name and the GIF filter; a failed download says so.
    page->ClearCalls();
    CModalDriver driver({Choose(Path("sub"), kGif, "gif", "PIC.GIF", Path("pic.gif")),
                         Message("Blank window cannot be saved.")});
    ASSERT_TRUE(frame->SendCommand(ID_CONTEXT_SAVE_IMAGE_AS));
    ASSERT_TRUE(WaitFor([&] { return !page->m_saveRequests.isEmpty(); }));
    EXPECT_EQ(page->Calls().filter("Save"),
              QStringList{"SaveAddressToFile http://i.example/img/PIC.GIF " + Path("pic.gif")});
    EXPECT_EQ(form->SaveCommands()->LastSaveFolder(), m_dir.path() + "/");
    page->m_saveRequests.takeFirst()(false);
    ASSERT_TRUE(WaitFor([&] { return driver.Handled() == 2; }));

    // Stop (Esc) while it runs: the save ends as the user asked, without a message.
    CModalDriver stopped({Choose(m_dir.path(), kGif, "gif", "PIC.GIF", Path("pic.gif"))});
    ASSERT_TRUE(frame->SendCommand(ID_CONTEXT_SAVE_IMAGE_AS));
    ASSERT_TRUE(WaitFor([&] { return !page->m_saveRequests.isEmpty(); }));
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_STOP));
    page->m_saveRequests.takeFirst()(false);
    QTest::qWait(200);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(stopped.Handled(), 1);
}

TEST_F(SaveCommandsTest, SaveAsSavesAPageAndDownloadsAPicture)
{
    Open();
    CFakeBrowserControl* page = Page();
    const struct
    {
        const char* url;
        const char* type;
        QStringList filters;
        const char* suffix;
        const char* proposed;
        const char* call;
    } cases[] = {
        {"http://h.example/dir/page.html#part", "HTML Document", kHtml, "htm", "page.html",
         "SaveDocument "},
        {"http://h.example/p/photo.gif", "GIF Image", kGif, "gif", "photo.gif",
         "SaveAddressToFile http://h.example/p/photo.gif "},
        {"http://h.example/", "Text Document", kAll, "", "", "SaveDocument "},
    };
    for (const auto& c : cases) {
        page->ClearCalls();
        const QString target = Path(QString("sub/file%1").arg(c.suffix));
        const QString folder =
            form->SaveCommands()->LastSaveFolder().isEmpty() ? DownloadsFolder() : Path("sub");
        CModalDriver driver({Choose(folder, c.filters, c.suffix, c.proposed, target)});
        ASSERT_TRUE(frame->SendCommand(ID_FILE_SAVE_AS));
        ASSERT_EQ(page->m_documentQueries.size(), 1);
        BrowserDocumentInfo info;
        info.bOk = true;
        info.url = c.url;
        info.mimeType = c.type;
        page->m_documentQueries.takeFirst()(info);
        ASSERT_TRUE(WaitFor([&] { return !page->m_saveRequests.isEmpty(); })) << c.url;
        const QString path = QString(c.suffix).isEmpty() ? target : target + "." + c.suffix;
        EXPECT_EQ(page->Calls().filter("Save"), QStringList{c.call + path}) << c.url;
        page->m_saveRequests.takeFirst()(true);
    }

    // A page that cannot be asked: nothing to save.
    CModalDriver driver({Message("Blank window cannot be saved.")});
    ASSERT_TRUE(frame->SendCommand(ID_FILE_SAVE_AS));
    page->m_documentQueries.takeFirst()(BrowserDocumentInfo());
    ASSERT_TRUE(WaitFor([&] { return driver.Handled() == 1; }));
}

TEST_F(SaveCommandsTest, SaveAsOfATextPaneOffersAllFilesAndFails)
{
    Open();
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_SOURCE));
    ASSERT_EQ(form->GetActivePane()->GetPaneKind(), PANE_TEXT);
    CModalDriver driver({Choose(DownloadsFolder(), kAll, "", "", Path("source.txt")),
                         Message("Blank window cannot be saved.")});
    ASSERT_TRUE(frame->SendCommand(ID_FILE_SAVE_AS));
    ASSERT_TRUE(WaitFor([&] { return driver.Handled() == 2; }));
    EXPECT_FALSE(QFile::exists(Path("source.txt")));
    EXPECT_EQ(form->SaveCommands()->LastSaveFolder(), m_dir.path() + "/");
}

} // namespace
