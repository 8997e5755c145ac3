// The Zarn document: a new document, title numbering, Read Only, the properties and their
// dialog, the record handed on by Load from MAIN.IDX, and the modified flag.
#include "app/NumberEdit.h"
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class DocumentTest : public CAppTest {
protected:
    // Answers the Document Properties dialog: types a GID and a path, then OK or Cancel.
    void AnswerProperties(const QString& strGid, const QString& strIdxPath, bool bOk) {
        DriveNextModalDialog([this, strGid, strIdxPath, bOk](QWidget* pDialog) {
            m_strShownFileName = pDialog->findChild<QLineEdit*>("IDC_FILENAME_1003")->text();
            auto* pGid = pDialog->findChild<CNumberEdit*>("IDC_GID_1004");
            auto* pPath = pDialog->findChild<QLineEdit*>("IDC_IDXPATH_1005");
            pGid->setText(strGid);
            pPath->setText(strIdxPath);
            pDialog->findChild<QPushButton*>(bOk ? "IDOK_1" : "IDCANCEL_2")->click();
        });
    }

    bool IsEnabled(unsigned nId) { return MainFrame().QueryCommandUI(nId).IsEnabled(); }

    QString m_strShownFileName;
};

TEST_F(DocumentTest, ANewDocumentIsOneEmptyLineUnmodifiedWithEmptyProperties) {
    StartApp();
    Execute(ID_FILE_NEW);
    CSampleDoc* pDoc = ActiveDoc();
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(LinesOf(pDoc), QStringList({""}));
    EXPECT_EQ(pDoc->GetTextBuffer().GetEolStyle(), EOL_CRLF);
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_TRUE(pDoc->GetFileName().isEmpty());
    EXPECT_TRUE(pDoc->GetIdxPath().isEmpty());
    EXPECT_TRUE(pDoc->GetGid().isEmpty());
    EXPECT_TRUE(pDoc->GetPathName().isEmpty());
    EXPECT_FALSE(IsEnabled(ID_ZARN_PROPERTIES));
    EXPECT_TRUE(IsEnabled(ID_CONTEXT_PROPERTIES));
    EXPECT_FALSE(IsEnabled(ID_ZARN_INSERT));
    EXPECT_FALSE(IsEnabled(ID_ZARN_INSERT_BUTTON));
    MainFrame().OnIdleUpdateCmdUI();
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_GID), "");
    EXPECT_FALSE(MainFrame().GetCommandAction(ID_ZARN_PROPERTIES)->isEnabled());
}

TEST_F(DocumentTest, NewDocumentsAreTitledWithARunningNumber) {
    StartApp();
    Execute(ID_FILE_NEW);
    EXPECT_EQ(ActiveDoc()->GetTitle(), "Zarn Document1");
    EXPECT_EQ(ActiveFrame()->windowTitle(), "Zarn Document1");
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor - Zarn Document1");
    Execute(ID_FILE_NEW);
    EXPECT_EQ(ActiveDoc()->GetTitle(), "Zarn Document2");
    Execute(ID_FILE_CLOSE);
    Execute(ID_FILE_NEW);
    EXPECT_EQ(ActiveDoc()->GetTitle(), "Zarn Document3");
    EXPECT_EQ(Docs().GetDocuments().size(), 2u);
}

TEST_F(DocumentTest, ReadOnlyTellsWhenTurnedOnAndCarriesACheckMark) {
    StartApp();
    Execute(ID_FILE_NEW);
    CSampleDoc* pDoc = ActiveDoc();
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_EDIT_READ_ONLY).GetCheck(), 0);

    Execute(ID_EDIT_READ_ONLY);
    EXPECT_EQ(m_listMessages, std::vector<QString>({"Document now read-only!"}));
    EXPECT_TRUE(pDoc->GetTextBuffer().IsReadOnly());
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_EDIT_READ_ONLY).GetCheck(), 1);
    MainFrame().OnIdleUpdateCmdUI();
    EXPECT_TRUE(MainFrame().GetCommandAction(ID_EDIT_READ_ONLY)->isChecked());
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_READ), "Read");
    // A read-only document takes no typing.
    QTest::keyClick(ActiveView(), Qt::Key_A);
    EXPECT_EQ(LinesOf(pDoc), QStringList({""}));

    Execute(ID_EDIT_READ_ONLY);
    EXPECT_EQ(m_listMessages.size(), 1u);
    EXPECT_FALSE(pDoc->GetTextBuffer().IsReadOnly());
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_EDIT_READ_ONLY).GetCheck(), 0);
    MainFrame().OnIdleUpdateCmdUI();
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_READ), "");
}

TEST_F(DocumentTest, PropertiesOkSetsGidAndPathWhichEnableInsertAndShowTheGid) {
    const QString strPath = WriteFile("32-105.zarn", "; GID 32-105\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    EXPECT_TRUE(IsEnabled(ID_ZARN_PROPERTIES));
    EXPECT_FALSE(IsEnabled(ID_ZARN_INSERT));

    AnswerProperties("32-105", "/data/MAIN.IDX", true);
    Execute(ID_ZARN_PROPERTIES);
    EXPECT_EQ(m_strShownFileName, strPath);
    EXPECT_EQ(pDoc->GetGid(), "32-105");
    EXPECT_EQ(pDoc->GetIdxPath(), "/data/MAIN.IDX");
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_TRUE(IsEnabled(ID_ZARN_INSERT));
    EXPECT_TRUE(IsEnabled(ID_ZARN_INSERT_BUTTON));
    MainFrame().OnIdleUpdateCmdUI();
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_GID), "32-105");
    EXPECT_TRUE(MainFrame().GetCommandAction(ID_ZARN_INSERT_BUTTON)->isEnabled());

    // One of the two missing disables Insert again.
    AnswerProperties("", "/data/MAIN.IDX", true);
    Execute(ID_ZARN_PROPERTIES);
    EXPECT_FALSE(IsEnabled(ID_ZARN_INSERT));
}

TEST_F(DocumentTest, PropertiesCancelChangesNothing) {
    const QString strPath = WriteFile("form.zarn", "x\r\n");
    StartApp({strPath});
    AnswerProperties("77", "/somewhere/MAIN.IDX", false);
    Execute(ID_ZARN_PROPERTIES);
    EXPECT_TRUE(ActiveDoc()->GetGid().isEmpty());
    EXPECT_TRUE(ActiveDoc()->GetIdxPath().isEmpty());
}

TEST_F(DocumentTest, TheContextMenusPropertiesOpensEvenForANewDocument) {
    StartApp();
    Execute(ID_FILE_NEW);
    m_strShownFileName = "not shown";
    AnswerProperties("12", "", true);
    // The view's context-menu command goes from the view to its document.
    EXPECT_TRUE(ActiveView()->RouteCommand(ID_CONTEXT_PROPERTIES));
    EXPECT_EQ(m_strShownFileName, "");
    EXPECT_EQ(ActiveDoc()->GetGid(), "12");
    // Without a File Name the GID pane stays empty.
    MainFrame().OnIdleUpdateCmdUI();
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_GID), "");
}

TEST_F(DocumentTest, PropertiesLiveOnlyAsLongAsTheDocument) {
    const QString strPath = WriteFile("form.zarn", "x\r\n");
    StartApp({strPath});
    AnswerProperties("5", "/db/MAIN.IDX", true);
    Execute(ID_ZARN_PROPERTIES);
    Execute(ID_FILE_CLOSE);
    EXPECT_TRUE(m_listMessages.empty()); // not modified: no save prompt
    App().OpenDocumentFile(strPath);
    EXPECT_TRUE(ActiveDoc()->GetGid().isEmpty());
    EXPECT_TRUE(ActiveDoc()->GetIdxPath().isEmpty());
}

TEST_F(DocumentTest, TheNextDocumentTakesThePendingRecord) {
    const QString strLoaded = WriteFile("1001.zarn", "; GID 1001\r\n");
    StartApp();
    App().SetPendingRecord("1001", "/db/MAIN.IDX");
    CSampleDoc* pDoc = App().OpenDocumentFile(strLoaded);
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pDoc->GetGid(), "1001");
    EXPECT_EQ(pDoc->GetIdxPath(), "/db/MAIN.IDX");
    EXPECT_TRUE(App().GetPendingGid().isEmpty());
    EXPECT_TRUE(App().GetPendingIdxPath().isEmpty());
    EXPECT_TRUE(IsEnabled(ID_ZARN_INSERT));

    // Loading a file that is already open constructs no document: the record waits for the
    // next one, here a new document.
    App().SetPendingRecord("2040", "/db2/MAIN.IDX");
    EXPECT_EQ(App().OpenDocumentFile(strLoaded), pDoc);
    EXPECT_EQ(pDoc->GetGid(), "1001");
    EXPECT_EQ(App().GetPendingGid(), "2040");
    Execute(ID_FILE_NEW);
    EXPECT_EQ(ActiveDoc()->GetGid(), "2040");
    EXPECT_EQ(ActiveDoc()->GetIdxPath(), "/db2/MAIN.IDX");
    EXPECT_TRUE(App().GetPendingGid().isEmpty());
}

TEST_F(DocumentTest, TypingACharacterAndUndoingItLeavesTheDocumentModified) {
    const QString strPath = WriteFile("form.zarn", "abc\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    QTest::keyClick(ActiveView(), Qt::Key_X);
    EXPECT_EQ(LinesOf(pDoc).front(), "xabc");
    EXPECT_TRUE(pDoc->IsModified());
    QTest::keyClick(ActiveView(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(LinesOf(pDoc).front(), "abc");
    EXPECT_TRUE(pDoc->IsModified());
    // The buffer keeps no flag of its own: the document's is the only one.
    EXPECT_FALSE(pDoc->GetTextBuffer().IsModified());
}

} // namespace
